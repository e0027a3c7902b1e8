#!/bin/sh
# Installs an update package of the terminal's software so that a power cut
# at any moment leaves the old or the new software whole, and takes a new
# software that does not come up back out at the next start.
#
#   update.sh PACKAGE           install PACKAGE (the agent passes
#                               /tmp/uploadfile.tar.gz); status 0 installed,
#                               1 refused or failed (the old software stays)
#   update.sh --boot [SECONDS]  at every start of the terminal, once the
#                               software has been started (60 s when not given);
#                               status 0 nothing to do or the new software is
#                               up, 1 rolled back (the start then restarts the
#                               software)
#
# The software is the tree /opt/zoderer/software/current, a symbolic link to
# versions/N beside it; "previous" links to the version before. Only that tree
# changes: the agent's directory (this script's), the login scripts and the
# configuration tree are never part of a package.
#
# The package is a gzip tar archive of
#   MANIFEST      the manifest of software/, one line an entry (type, mode,
#                 SHA-256 or link target, path: tree_manifest in devicelib.sh)
#   MANIFEST.sig  a signature of MANIFEST (openssl dgst -sha256 -sign); needed
#                 when the configuration tree holds update/public.pem
#   software/     the new tree
# as scripts/make-update.sh builds it. Refused, with a log line saying why:
# not a gzip tar archive; a member with another name, an absolute name, a ".."
# step or an unusual character (line end, backslash, non-ASCII); a hard link,
# device or pipe; no manifest; a symbolic link that is absolute or leads out
# of software/; a tree that differs from its manifest in any entry; with a key,
# a missing or bad signature.
#
# Installing: the package is unpacked into .staging beside versions/ (the same
# file system) and checked there; software/ is renamed to versions/N, the
# marker "pending" names it, "previous" is pointed at the running version and
# a new link is renamed over "current" (the first version has no marker: there
# is nothing to go back to). Each step is one rename: killed at any
# point, "current" names the old or the new tree, whole, and the next run
# removes what a killed one left (the staging, unused versions). Two versions
# are kept: current and previous.
#
# The start check: the new software is up when its agent answers, that is
# listens on TCP port 9600. With no marker, --boot ends at once. Otherwise it
# first notes in the marker that a check began, then waits up to SECONDS for
# the agent: when it answers the marker goes and the version stays. When it
# does not, or when the marker says a check began at an earlier start and never
# ended (the new software hung the terminal, or the power went), "current" is
# switched back to the version before (the failed one becomes "previous") and
# the marker goes.

# shellcheck source=devicelib.sh
. /opt/zoderer/login/devicelib.sh

SOFTWARE=/opt/zoderer/software
VERSIONS=$SOFTWARE/versions
CURRENT=$SOFTWARE/current
PREVIOUS=$SOFTWARE/previous
PENDING=$SOFTWARE/pending
STAGING=$SOFTWARE/.staging
LOCK=$SOFTWARE/.lock
KEY=$CONFIGS/update/public.pem
AGENT_PORT=9600

usage() {
    echo "usage: update.sh PACKAGE | update.sh --boot [SECONDS]" >&2
    exit 2
}

refuse() {
    log "refused $package: $*; the software stays as it was"
    rm -rf -- "$STAGING"
    exit 1
}

fail() {
    log "failed: $*"
    exit 1
}

# What a link of the software root points to ("versions/N"), empty if none.
link_target() {
    readlink -- "$1" 2>/dev/null
}

# Points link NAME at TARGET by renaming a new link over it.
switch_link() {
    ln -sfn -- "$2" "$1.new" && mv -T -- "$1.new" "$1"
}

# Removes what an interrupted run left and every version neither current
# nor previous.
tidy() {
    rm -rf -- "$STAGING" "$CURRENT.new" "$PREVIOUS.new" "$PENDING".??????
    keep_current=$(link_target "$CURRENT")
    keep_previous=$(link_target "$PREVIOUS")
    for dir in "$VERSIONS"/*; do
        [ -e "$dir" ] || [ -L "$dir" ] || continue
        case "versions/${dir##*/}" in
            "$keep_current" | "$keep_previous") ;;
            *)
                rm -rf -- "$dir"
                log "removed the unused version versions/${dir##*/}"
                ;;
        esac
    done
}

# The number after the highest version directory.
next_number() {
    highest=0
    for dir in "$VERSIONS"/*; do
        number=${dir##*/}
        case $number in '' | *[!0-9]*) continue ;; esac
        if [ "$number" -gt "$highest" ]; then
            highest=$number
        fi
    done
    echo $((highest + 1))
}

# Prints the first member name (from tar -t on standard input) that is not
# allowed; false when all are.
bad_member() {
    while IFS= read -r name; do
        case $name in
            *\\*) ;; # tar shows line ends, backslashes, non-ASCII escaped
            /* | .. | ../* | */.. | */../*) ;;
            MANIFEST | ./MANIFEST | MANIFEST.sig | ./MANIFEST.sig | ./ | \
                software | software/* | ./software | ./software/*) continue ;;
        esac
        printf '%s\n' "$name"
        return 0
    done
    return 1
}

# True when the relative TARGET of a link at PATH (relative to the tree's
# root) never steps above the root, read name by name.
stays_inside() {
    case $2 in /* | '') return 1 ;; esac
    depth=$(printf '%s' "$1" | tr -cd / | wc -c)
    rest=$2/
    while [ -n "$rest" ]; do
        part=${rest%%/*}
        rest=${rest#*/}
        case $part in
            '' | .) ;;
            ..)
                depth=$((depth - 1))
                [ "$depth" -ge 0 ] || return 1
                ;;
            *) depth=$((depth + 1)) ;;
        esac
    done
    return 0
}

# Prints the first symbolic link under ROOT that is absolute or leads out of
# ROOT, by its names or once resolved.
escaping_link() {
    root=$(realpath -- "$1") || return 0
    find "$root" -type l | while IFS= read -r link; do
        relative=${link#"$root"/}
        resolved=$(realpath -m -- "$link" 2>/dev/null)
        case $resolved in "$root" | "$root"/*) ;; *) resolved= ;; esac
        if [ -z "$resolved" ] || ! stays_inside "$relative" "$(readlink -- "$link")"; then
            printf '%s\n' "$relative"
            break
        fi
    done
}

install_package() {
    package=$1
    [ -f "$package" ] || fail "no update package at $package"
    mkdir -p "$VERSIONS" || fail "cannot create $VERSIONS"
    hold_lock "$LOCK" || fail "cannot lock $LOCK"
    tidy

    names=$(tar -tzf "$package" 2>/dev/null) || refuse "not a gzip tar archive"
    member=$(printf '%s\n' "$names" | bad_member) &&
        refuse "the member \"$member\" is outside software/ or has an unusual name"
    types=$(tar -tvzf "$package" 2>/dev/null | cut -c1 | sort -u | tr -d '\n')
    case $types in *[!dl-]*) refuse "it holds a hard link, device or pipe" ;; esac

    mkdir -p "$STAGING" || fail "cannot create $STAGING"
    tar -xzf "$package" -C "$STAGING" --no-same-owner --same-permissions 2>/dev/null ||
        refuse "it could not be unpacked (damaged, or the disk is full)"
    if [ ! -f "$STAGING/MANIFEST" ] || [ -L "$STAGING/MANIFEST" ]; then
        refuse "it carries no manifest (MANIFEST)"
    fi
    if [ ! -d "$STAGING/software" ] || [ -L "$STAGING/software" ]; then
        refuse "it carries no software/ directory"
    fi
    link=$(escaping_link "$STAGING/software")
    [ -z "$link" ] || refuse "the link \"software/$link\" is absolute or leads out of the package"
    if [ -e "$KEY" ]; then
        if [ ! -f "$STAGING/MANIFEST.sig" ] || [ -L "$STAGING/MANIFEST.sig" ]; then
            refuse "a key is configured ($KEY) and the package carries no signature (MANIFEST.sig)"
        fi
        openssl dgst -sha256 -verify "$KEY" -signature "$STAGING/MANIFEST.sig" \
            "$STAGING/MANIFEST" > /dev/null 2>&1 ||
            refuse "its signature does not verify with $KEY"
    fi
    tree_manifest "$STAGING/software" > "$STAGING/found" ||
        fail "cannot read the unpacked tree"
    if ! cmp -s "$STAGING/MANIFEST" "$STAGING/found"; then
        difference=$(diff "$STAGING/MANIFEST" "$STAGING/found" | grep -m 1 '^[<>]')
        refuse "its files do not match its manifest (first difference: $difference)"
    fi
    sync -f "$SOFTWARE"

    old=$(link_target "$CURRENT")
    new=versions/$(next_number)
    mv -T -- "$STAGING/software" "$SOFTWARE/$new" || fail "cannot move the checked tree to $new"
    if [ -n "$old" ]; then
        printf '%s\n' "$new" | write_atomic "$PENDING" || fail "cannot write $PENDING"
        switch_link "$PREVIOUS" "$old" || fail "cannot point previous at $old"
    fi
    sync -f "$SOFTWARE"
    switch_link "$CURRENT" "$new" || fail "cannot point current at $new"
    sync -f "$SOFTWARE"
    if [ -n "$old" ]; then
        log "installed $package as $new (previous: $old); it is checked at the next start"
    else
        log "installed $package as $new, the first version"
    fi
    tidy
    sync -f "$SOFTWARE"
    exit 0
}

agent_answers() {
    ss -Hltn "sport = :$AGENT_PORT" 2> /dev/null | grep -q .
}

# Points current back at previous and keeps the failed version as previous.
roll_back() {
    failed=$(link_target "$CURRENT")
    back=$(link_target "$PREVIOUS")
    if [ -z "$back" ] || [ "$back" = "$failed" ] || [ ! -d "$SOFTWARE/$back" ]; then
        rm -f -- "$PENDING"
        fail "cannot roll back $failed: there is no version before it"
    fi
    switch_link "$CURRENT" "$back" || fail "cannot point current back at $back"
    switch_link "$PREVIOUS" "$failed" || fail "cannot point previous at $failed"
    rm -f -- "$PENDING"
    sync -f "$SOFTWARE"
    log "rolled back from $failed to $back"
    exit 1
}

boot_check() {
    bound=$1
    [ -d "$VERSIONS" ] || exit 0
    hold_lock "$LOCK" || fail "cannot lock $LOCK"
    tidy
    [ -f "$PENDING" ] || exit 0
    version=$(line 1 "$PENDING")
    state=$(line 2 "$PENDING")
    if [ "$(link_target "$CURRENT")" != "$version" ]; then
        rm -f -- "$PENDING"
        log "an interrupted update never switched to $version: nothing to check"
        exit 0
    fi
    if [ "$state" = checking ]; then
        log "the check of $version began at an earlier start and never ended"
        roll_back
    fi
    printf '%s\nchecking\n' "$version" | write_atomic "$PENDING" || fail "cannot write $PENDING"
    sync -f "$SOFTWARE"
    log "waiting up to $bound s for the agent of $version to answer"
    waited=0
    until agent_answers; do
        if [ "$waited" -ge "$bound" ]; then
            log "the agent of $version did not answer within $bound s"
            roll_back
        fi
        sleep 1
        waited=$((waited + 1))
    done
    rm -f -- "$PENDING"
    sync -f "$SOFTWARE"
    log "the agent of $version answers: the update is kept"
    exit 0
}

case $1 in
    --boot)
        [ $# -le 2 ] || usage
        bound=${2:-60}
        case $bound in '' | *[!0-9]*) usage ;; esac
        boot_check "$bound"
        ;;
    -* | '') usage ;;
    *)
        [ $# -eq 1 ] || usage
        install_package "$1"
        ;;
esac
