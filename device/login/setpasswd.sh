#!/bin/sh
# Adds the administrator password $1 as one line of passwd/passwdconfig,
# keeping the other lines; the file is replaced atomically. The password is
# handled by the shell alone and never logged.
# shellcheck source=devicelib.sh
. /opt/zoderer/login/devicelib.sh

[ $# -eq 1 ] || { echo "usage: setpasswd.sh PASSWORD" >&2; exit 2; }
if [ -z "$1" ] || has_line_end "$1"; then
    log "refused: a password is empty or holds a line end"
    exit 2
fi
file=$CONFIGS/passwd/passwdconfig
mkdir -p "${file%/*}" || exit 1
if has_line "$file" "$1"; then
    log "the password is already stored; nothing changed"
    exit 0
fi
if { edit_lines "$file"; printf '%s\n' "$1"; } | write_atomic "$file"; then
    log "a password was added"
else
    log "a password could not be added: $file not written"
    exit 1
fi
