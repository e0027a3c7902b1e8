#!/bin/sh
# Removes the administrator password line $1 from passwd/passwdconfig,
# keeping the other lines; the file is replaced atomically. The password is
# never logged.
# shellcheck source=devicelib.sh
. /opt/zoderer/login/devicelib.sh

[ $# -eq 1 ] || { echo "usage: deletepasswd.sh PASSWORD" >&2; exit 2; }
file=$CONFIGS/passwd/passwdconfig
if ! has_line "$file" "$1"; then
    log "refused: the password is not stored; nothing changed"
    exit 1
fi
if edit_lines "$file" "$1" | write_atomic "$file"; then
    log "a password was deleted"
else
    log "a password could not be deleted: $file not written"
    exit 1
fi
