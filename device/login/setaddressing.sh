#!/bin/sh
# setaddressing.sh INTERFACE FILE
# Applies an addressing file (the wired network/netconfig or the wireless
# wificonfigs/wificonfig.txt; lines: mode, address, netmask, gateway, DNS 1,
# DNS 2) to INTERFACE. Mode "static" sets exactly the address, the default
# route and the resolver file; any other mode hands the interface to a DHCP
# client (udhcpc), which keeps running to renew its lease. Either way the
# DHCP client an earlier run left on INTERFACE is stopped first.
# shellcheck source=devicelib.sh
. /opt/zoderer/login/devicelib.sh

LEASESCRIPT=/opt/zoderer/login/dhcplease.sh

dev=$1
file=$2
case $dev in
    '' | -* | *[!A-Za-z0-9_.-]*)
        log "no valid interface name given"
        exit 2
        ;;
esac
pidfile=/run/udhcpc.$dev.pid

if ! ip link show dev "$dev" > /dev/null 2>&1; then
    log "$dev: no such interface"
    exit 1
fi

# The DHCP client of an earlier run, known by its pid file: it would
# otherwise put its lease back over a static address at the next renewal.
stop_dhcp_client() {
    [ -f "$pidfile" ] || return 0
    pid=$(tr -dc '0-9' < "$pidfile")
    if [ -n "$pid" ] && [ "$(cat "/proc/$pid/comm" 2>/dev/null)" = udhcpc ]; then
        kill "$pid" 2> /dev/null
        tries=0
        while [ -d "/proc/$pid" ] && [ "$tries" -lt 50 ]; do
            sleep 0.1
            tries=$((tries + 1))
        done
        log "$dev: DHCP client $pid stopped"
    fi
    rm -f "$pidfile"
}

# A value of the file without blanks (automatic mode writes single spaces).
value() {
    line "$1" "$file" | tr -d ' \t'
}

stop_dhcp_client
set_link "$dev" up || exit 1

case $(line 1 "$file") in
    *static*) ;;
    *)
        ip -4 addr flush dev "$dev"
        log "$dev: addressing by DHCP"
        # The first lease is waited for (3 tries, 2 s apart); without one
        # the client goes on trying in the background. Its script applies
        # each lease with ip.
        udhcpc -i "$dev" -s "$LEASESCRIPT" -p "$pidfile" -b -R -t 3 -T 2 -A 10 \
            < /dev/null > /dev/null 2>&1
        if ip -4 -o addr show dev "$dev" | grep -q ' inet '; then
            log "$dev: lease obtained"
        else
            log "$dev: no lease yet, the DHCP client keeps trying"
        fi
        exit 0
        ;;
esac

address=$(ipv4 "$(value 2)") || {
    log "$dev: static address '$(value 2)' is no IPv4 address; nothing changed"
    exit 1
}
prefix=$(ipv4_prefix "$(value 3)") || {
    log "$dev: netmask '$(value 3)' is no netmask; nothing changed"
    exit 1
}
gateway=$(value 4)

status=0
ip -4 addr flush dev "$dev"
if ip -4 addr add "$address/$prefix" brd + dev "$dev"; then
    log "$dev: static address $address/$prefix"
else
    log "$dev: static address $address/$prefix could not be set"
    status=1
fi
if [ -z "$gateway" ]; then
    while ip -4 route del default dev "$dev" 2> /dev/null; do :; done
    log "$dev: no gateway configured"
elif gateway=$(ipv4 "$gateway") && ip -4 route replace default via "$gateway" dev "$dev"; then
    log "$dev: default gateway $gateway"
else
    log "$dev: default gateway '$gateway' could not be set"
    status=1
fi
if printf '%s\n%s\n' "$(value 5)" "$(value 6)" | write_resolver; then
    log "$dev: name servers '$(value 5)' '$(value 6)' written to /etc/resolv.conf"
else
    log "$dev: /etc/resolv.conf could not be written"
    status=1
fi
exit "$status"
