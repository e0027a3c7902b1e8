#!/bin/sh
# Simulated terminal: stores server, user, password and port ($1..$4) as
# lines 1 to 4 of the current connection, keeping its other lines.
[ $# -eq 4 ] || { echo "usage: updateRDPinfo.sh SERVER USER PASSWORD PORT" >&2; exit 2; }
dir=/opt/zoderer/configs/usrinfodir
file=$dir/connectfile
mkdir -p "$dir"
rest=$(sed -n '5,9p' "$file" 2>/dev/null)
[ -n "$rest" ] || rest=$(printf '\n1\n0\n0\n3')
printf '%s\n%s\n%s\n%s\n%s\n' "$1" "$2" "$3" "$4" "$rest" > "$file.new" && mv "$file.new" "$file"
echo "$(date '+%T') updateRDPinfo.sh: server=$1 user=$2 port=$4" >> /tmp/device.log
