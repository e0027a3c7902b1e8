#!/bin/sh
# Simulated terminal: installs the update package $1 (a gzip tar archive) by
# unpacking it into the simulated software directory. Exit status 0 only
# when the archive was whole and unpacked.
log() { echo "$(date '+%T') update.sh: $*" >> /tmp/device.log; }
[ $# -eq 1 ] || { echo "usage: update.sh PACKAGE" >&2; exit 2; }
package=$1
staging=/tmp/update.staging
target=/opt/zoderer/software
if ! tar -tzf "$package" > /dev/null 2>&1; then
    log "rejected $package: not a gzip tar archive"
    exit 1
fi
rm -rf "$staging" && mkdir -p "$staging" || exit 1
if ! tar -xzf "$package" -C "$staging"; then
    log "could not unpack $package"
    exit 1
fi
mkdir -p "$target" && cp -R "$staging"/. "$target"/ || { log "could not install into $target"; exit 1; }
log "installed $(find "$staging" -type f | wc -l) files from $package into $target"
