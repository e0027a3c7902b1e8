#!/bin/sh
# Simulated terminal: prints the remote-desktop settings of the current
# connection as server|user|password|port.
file=/opt/zoderer/configs/usrinfodir/connectfile
[ -r "$file" ] || exit 1
server=$(sed -n 1p "$file")
user=$(sed -n 2p "$file")
password=$(sed -n 3p "$file")
port=$(sed -n 4p "$file")
printf '%s|%s|%s|%s\n' "$server" "$user" "$password" "$port"
