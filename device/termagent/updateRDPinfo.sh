#!/bin/sh
# Stores server, user, password and port ($1..$4) as lines 1 to 4 of the
# current connection (usrinfodir/connectfile) and of the server's profile
# (usrinfodir/SERVER.usr), each file keeping its other lines and replaced
# atomically, so that the launcher connects with them next. The password
# (which may hold "|") is handled by the shell alone and never logged.
# shellcheck source=../login/devicelib.sh
. /opt/zoderer/login/devicelib.sh

[ $# -eq 4 ] || { echo "usage: updateRDPinfo.sh SERVER USER PASSWORD PORT" >&2; exit 2; }
for value in "$@"; do
    if has_line_end "$value"; then
        log "refused: a value holds a line end; nothing changed"
        exit 2
    fi
done
case $1 in
    '' | . | .. | */*)
        log "refused: server \"$1\" cannot name a profile; nothing changed"
        exit 2
        ;;
esac

dir=$CONFIGS/usrinfodir
current=$dir/connectfile
profile=$dir/$1.usr
mkdir -p "$dir" || exit 1

# Lines 5 on of FILE (domain, remember, auto-connect...), or the new
# profile's defaults when FILE has none.
rest() {
    if [ -f "$1" ] && [ "$(sed -n '5,$p' "$1" | wc -c)" -gt 0 ]; then
        sed -n '5,$p' "$1"
    else
        printf '\n1\n0\n0\n3\n'
    fi
}

# The profile keeps its own other lines; a new one takes the current
# connection's.
if [ -f "$profile" ]; then from=$profile; else from=$current; fi
if ! { printf '%s\n' "$1" "$2" "$3" "$4"; rest "$from"; } | write_atomic "$profile"; then
    log "the profile $profile could not be written; nothing changed"
    exit 1
fi
if ! { printf '%s\n' "$1" "$2" "$3" "$4"; rest "$current"; } | write_atomic "$current"; then
    log "the current connection $current could not be written"
    exit 1
fi
log "server=$1 user=$2 port=$4"
