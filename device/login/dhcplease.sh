#!/bin/sh
# The DHCP client's event script (udhcpc -s, started by setaddressing.sh):
# applies a lease to the interface with ip. udhcpc passes the event as the
# argument and the lease in the environment (interface, ip, mask or subnet,
# router, dns).
# shellcheck source=devicelib.sh
. /opt/zoderer/login/devicelib.sh

dev=${interface:-}
[ -n "$dev" ] || exit 1

case $1 in
    deconfig)
        ip link set dev "$dev" up
        ip -4 addr flush dev "$dev"
        log "$dev: no lease, addresses removed"
        ;;
    bound | renew)
        address=$(ipv4 "${ip:-}") || {
            log "$dev: lease without a valid address"
            exit 1
        }
        prefix=${mask:-}
        case $prefix in
            '' | *[!0-9]*) prefix=$(ipv4_prefix "${subnet:-}") || prefix=32 ;;
        esac
        # A new lease may bring a new address: the old ones go. A renewal
        # keeps the address, so open connections survive it.
        [ "$1" = bound ] && ip -4 addr flush dev "$dev"
        ip -4 addr replace "$address/$prefix" brd + dev "$dev"
        router=${router:-}
        gateway=$(ipv4 "${router%% *}") || gateway=
        if [ -n "$gateway" ]; then
            ip -4 route replace default via "$gateway" dev "$dev"
        fi
        if [ -n "${dns:-}" ]; then
            printf '%s\n' "$dns" | tr ' ' '\n' | write_resolver
        fi
        log "$dev: $1 $address/$prefix, gateway ${gateway:-none}, name servers ${dns:-none}"
        ;;
    leasefail | nak)
        log "$dev: $1, no lease"
        ;;
esac
exit 0
