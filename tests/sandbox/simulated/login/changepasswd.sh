#!/bin/sh
# Simulated terminal: replaces the administrator password line $1 by $2.
[ $# -eq 2 ] || exit 2
file=/opt/zoderer/configs/passwd/passwdconfig
[ -f "$file" ] || exit 1
OLD=$1 NEW=$2 awk '$0 == ENVIRON["OLD"] { print ENVIRON["NEW"]; next } { print }' "$file" > "$file.new" &&
    mv "$file.new" "$file"
echo "$(date '+%T') changepasswd.sh: a password was changed" >> /tmp/device.log
