#!/bin/sh
# Scans for Wi-Fi networks and writes scan_result_all.txt as the supplicant
# lists them (a heading, then bssid, frequency, signal level, flags and
# name separated by tabs), each name as its own UTF-8 text. Names the
# launcher could not show or hand back (a line end, tab or NUL in them, or
# bytes that are not UTF-8) are left out.
# shellcheck source=../devicelib.sh
. /opt/zoderer/login/devicelib.sh
# shellcheck source=wifilib.sh
. /opt/zoderer/login/setwifis/wifilib.sh

mkdir -p "$WIFIDIR"
if ! supplicant_running && ! supplicant_start ""; then
    log "no supplicant on $WIFI_IF: the scan is not made"
    exit 1
fi
wpa scan > /dev/null
# The listing is taken once it has entries and stopped growing.
count=-1
n=0
while [ "$n" -lt "$WIFI_SCAN_WAIT" ]; do
    sleep 1
    n=$((n + 1))
    now=$(wpa scan_results | wc -l)
    [ "$now" -gt 1 ] && [ "$now" -eq "$count" ] && break
    count=$now
done

results=$(wpa scan_results | sed 1d | grep .)
total=$(printf '%s' "$results" | grep -c .)
if ! printf '%s\n' "$results" | grep . | unescape_names 5 | {
    printf 'bssid / frequency / signal level / flags / ssid\n'
    kept=0
    while IFS= read -r entry; do
        is_utf8 "$entry" || continue
        printf '%s\n' "$entry"
        kept=$((kept + 1))
    done
    log "$kept access points listed, $((total - kept)) left out whose names cannot be shown"
} | write_atomic "$WIFIDIR/scan_result_all.txt"; then
    log "the scan listing could not be written"
    exit 1
fi
