#!/bin/sh
# Simulated terminal: a Wi-Fi scan in the supplicant's listing format (a
# hidden network's line ends in its flags).
. "$(dirname "$0")/simulated-radio.sh"
tab=$(printf '\t')
{
    printf 'bssid / frequency / signal level / flags / ssid\n'
    access_points | while IFS=$tab read -r bssid freq level flags name passphrase key; do
        printf '%s\t%s\t%s\t%s\t%s\n' "$bssid" "$freq" "$level" "$flags" "$name"
    done
    printf '02:00:00:00:09:09\t2472\t-80\t[WPA2-PSK-CCMP][ESS]\n'
} > "$wifidir/scan_result_all.txt.new" && mv "$wifidir/scan_result_all.txt.new" "$wifidir/scan_result_all.txt"
log "$(($(wc -l < "$wifidir/scan_result_all.txt") - 1)) access points"
