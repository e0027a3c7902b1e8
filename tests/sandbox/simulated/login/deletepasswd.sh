#!/bin/sh
# Simulated terminal: removes the administrator password line $1.
[ $# -eq 1 ] || exit 2
file=/opt/zoderer/configs/passwd/passwdconfig
[ -f "$file" ] || exit 1
OLD=$1 awk '$0 != ENVIRON["OLD"]' "$file" > "$file.new" && mv "$file.new" "$file"
echo "$(date '+%T') deletepasswd.sh: a password was deleted" >> /tmp/device.log
