# The simulated terminal's radio, sourced by the Wi-Fi scripts: the access
# points in range, the association in /tmp/wifi/ and the supplicant's status
# report. Not a device script of its own.
state=/tmp/wifi
wifidir=/opt/zoderer/configs/network/wificonfigs
statusfile=$wifidir/check_wifi_status.txt
mkdir -p "$state" "$wifidir"

log() { echo "$(date '+%T') $(basename "$0"): $*" >> /tmp/device.log; }

# bssid, frequency, signal level, flags, network name, passphrase and the
# key WPA derives from it (for configurations that carry the key).
access_points() {
    cat <<'TABLE'
02:00:00:00:01:01	2412	-42	[WPA2-PSK-CCMP][ESS]	Office	office-2024	b61965059e329fa16a001f3609a7d2d770efa72b1630a3647f0f1a43f1d01f2b
02:00:00:00:01:02	5180	-60	[WPA2-PSK-CCMP][ESS]	Office	office-2024	b61965059e329fa16a001f3609a7d2d770efa72b1630a3647f0f1a43f1d01f2b
02:00:00:00:02:01	2437	-71	[WPA-PSK-TKIP][ESS]	Guest Net	welcome123	309774a0528cef2e82b9892f45d2018b5292aa92e0049326385aea61755ce3e3
02:00:00:00:03:01	2462	-66	[WPA2-PSK-CCMP][ESS]	会议室	meeting-88	78cc4c8e1ede20c97aab7819e23672378bdd511a716854eee91ca5e226f8e67c
02:00:00:00:04:01	5200	-75	[WPA2-PSK-CCMP][ESS]	Lab "5G"	lab"pass\1	3b1815b1953b528063c56bbb15d6645fa231e8b88796d2f7d65ca097cf11887b
TABLE
}

hex() { printf '%s' "$1" | od -An -tx1 -v | tr -d ' \n'; }

# A value of a supplicant configuration: "text" or hexadecimal, as hex.
value_hex() {
    case $1 in
        \"*\") v=${1#\"}; hex "${v%\"}" ;;
        *) printf '%s' "$1" | tr 'A-F' 'a-f' ;;
    esac
}

setting() { sed -n "s/^[[:space:]]*$1=//p" "$2" | head -n 1; }

# Associates as the supplicant would with the network of configuration $1:
# the name must be in range and the passphrase (or key) right.
associate() {
    conf=$1
    rm -f "$state/associated" "$state/address"
    [ -r "$conf" ] || { log "no configuration $conf"; return 1; }
    ssid=$(value_hex "$(setting ssid "$conf")")
    psk=$(setting psk "$conf")
    tab=$(printf '\t')
    access_points | while IFS=$tab read -r bssid freq level flags name passphrase key; do
        [ "$(hex "$name")" = "$ssid" ] || continue
        case $psk in
            \"*\") given=${psk#\"}; [ "${given%\"}" = "$passphrase" ] || exit 2 ;;
            *) [ "$(printf '%s' "$psk" | tr 'A-F' 'a-f')" = "$key" ] || exit 2 ;;
        esac
        printf '%s\n%s\n' "$bssid" "$name" > "$state/associated"
        exit 0
    done
    result=$?
    if [ -s "$state/associated" ]; then
        log "associated with '$(sed -n 2p "$state/associated")'"
    elif [ $result -eq 2 ]; then
        log "wrong passphrase: the association failed"
    else
        log "network not in range: the association failed"
    fi
    write_status
}

disassociate() {
    rm -f "$state/associated" "$state/address"
    write_status
}

# The status report, replaced whole so that readers never see half of it.
write_status() {
    {
        echo "Selected interface 'wlan0'"
        if [ -s "$state/associated" ]; then
            echo "bssid=$(sed -n 1p "$state/associated")"
            echo "ssid=$(sed -n 2p "$state/associated")"
            echo "id=0"
            echo "mode=station"
            echo "pairwise_cipher=CCMP"
            echo "key_mgmt=WPA2-PSK"
            echo "wpa_state=COMPLETED"
            if [ -s "$state/address" ]; then
                echo "ip_address=$(cat "$state/address")"
            fi
        else
            echo "wpa_state=DISCONNECTED"
        fi
    } > "$statusfile.new" && mv "$statusfile.new" "$statusfile"
}
