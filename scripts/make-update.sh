#!/bin/sh
# Builds an update package for the terminal's update.sh from a directory: the
# directory's tree becomes the software (/opt/zoderer/software/current on the
# terminal), with its manifest and, given a private key, a signature of the
# manifest that terminals holding the public key require.
#
#   scripts/make-update.sh DIR OUT.tar.gz [--sign KEY.pem]
#
# Names in DIR must be printable ASCII without backslashes; DIR must hold only
# directories, files and symbolic links that stay inside it (update.sh refuses
# anything else). Hard links are stored as separate files.
set -u

here=$(cd "$(dirname "$0")" && pwd) || exit 1
# shellcheck source-path=SCRIPTDIR/../device/login source=devicelib.sh
. "$here/../device/login/devicelib.sh"

die() {
    echo "make-update.sh: $*" >&2
    exit 1
}

[ $# -eq 2 ] || [ $# -eq 4 ] || {
    echo "usage: make-update.sh DIR OUT.tar.gz [--sign KEY.pem]" >&2
    exit 2
}
dir=$1
out=$2
key=
if [ $# -eq 4 ]; then
    [ "$3" = --sign ] || die "unknown option $3"
    key=$4
    [ -r "$key" ] || die "cannot read the key $key"
fi
[ -d "$dir" ] || die "$dir is not a directory"

odd=$(LC_ALL=C find "$dir" -mindepth 1 \( -name '*[! -~]*' -o -name '*\\*' \) -print | head -n 1)
[ -z "$odd" ] || die "unusual characters in a name under $dir (only printable ASCII without backslash)"
special=$(find "$dir" -mindepth 1 ! -type d ! -type f ! -type l -print | head -n 1)
[ -z "$special" ] || die "$special is neither a directory, a file nor a symbolic link"

work=$(mktemp -d) || die "cannot create a temporary directory"
trap 'rm -rf -- "$work"' EXIT
trap 'exit 1' HUP INT TERM
if ! mkdir "$work/software" || ! cp -a -- "$dir/." "$work/software/"; then
    die "cannot copy $dir"
fi
tree_manifest "$work/software" > "$work/MANIFEST" || die "cannot make the manifest"
members="MANIFEST software"
if [ -n "$key" ]; then
    openssl dgst -sha256 -sign "$key" -out "$work/MANIFEST.sig" "$work/MANIFEST" ||
        die "cannot sign the manifest with $key"
    members="MANIFEST MANIFEST.sig software"
fi
# shellcheck disable=SC2086 # the member names are fixed words
tar -C "$work" --hard-dereference --owner=0 --group=0 --numeric-owner -czf "$work/package.tar.gz" $members ||
    die "cannot write the archive"
mv -f -- "$work/package.tar.gz" "$out" || die "cannot write $out"
echo "make-update.sh: $out holds $(grep -c '^f' "$work/MANIFEST") files of $dir${key:+, signed}"
