#!/bin/sh
# Simulated terminal: adds the administrator password $1 as a line of passwd/passwdconfig.
[ $# -eq 1 ] || exit 2
file=/opt/zoderer/configs/passwd/passwdconfig
mkdir -p "$(dirname "$file")"
printf '%s\n' "$1" >> "$file"
echo "$(date '+%T') setpasswd.sh: a password was added" >> /tmp/device.log
