#!/bin/sh
# The network check before a connection: pings the default gateway or, with
# no default route, the server of the current connection (usrinfodir/
# connectfile, line 1), and writes network/netcheck: PINGOK on the first
# line when it answered, PINGFAIL otherwise; the address pinged follows.
# shellcheck source=devicelib.sh
. /opt/zoderer/login/devicelib.sh

result=$CONFIGS/network/netcheck

gateway=$(ip -4 route show default 2> /dev/null | awk '
    $1 == "default" { for (i = 2; i < NF; i++) if ($i == "via") { print $(i + 1); exit } }')
if [ -n "$gateway" ]; then
    target=$gateway
    what=gateway
else
    target=$(line 1 "$CONFIGS/usrinfodir/connectfile" | tr -d ' \t')
    what=server
fi

status=PINGFAIL
if [ -z "$target" ]; then
    log "no default gateway and no current server: nothing to ping"
elif ping -n -q -c 3 -i 0.2 -W 1 -- "$target" > /dev/null 2>&1; then
    status=PINGOK
    log "$what $target answers"
else
    log "$what $target does not answer"
fi

mkdir -p "${result%/*}"
printf '%s\n%s\n' "$status" "$target" | write_atomic "$result"
