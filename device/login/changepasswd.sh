#!/bin/sh
# Replaces the administrator password line $1 by $2 in passwd/passwdconfig,
# keeping the other lines; the file is replaced atomically. Neither
# password is ever logged.
# shellcheck source=devicelib.sh
. /opt/zoderer/login/devicelib.sh

[ $# -eq 2 ] || { echo "usage: changepasswd.sh OLD NEW" >&2; exit 2; }
if [ -z "$2" ] || has_line_end "$2"; then
    log "refused: the new password is empty or holds a line end"
    exit 2
fi
file=$CONFIGS/passwd/passwdconfig
if ! has_line "$file" "$1"; then
    log "refused: the old password is not stored; nothing changed"
    exit 1
fi
if has_line "$file" "$2"; then
    # The new one is there already: the old line goes, no duplicate comes.
    edit_lines "$file" "$1" | write_atomic "$file"
else
    edit_lines "$file" "$1" "$2" | write_atomic "$file"
fi || { log "a password could not be changed: $file not written"; exit 1; }
log "a password was changed"
