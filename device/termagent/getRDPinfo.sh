#!/bin/sh
# Prints the remote-desktop settings of the current connection (lines 1 to
# 4 of usrinfodir/connectfile) as SERVER|USER|PASSWORD|PORT on one line.
# The password may hold "|": the reader takes all between the second and
# the last "|". Nothing is logged, so the password never reaches a log.
# shellcheck source=../login/devicelib.sh
. /opt/zoderer/login/devicelib.sh

file=$CONFIGS/usrinfodir/connectfile
[ -r "$file" ] || exit 1
server=$(line 1 "$file")
user=$(line 2 "$file")
password=$(line 3 "$file")
port=$(line 4 "$file")
printf '%s|%s|%s|%s\n' "$server" "$user" "$password" "$port"
