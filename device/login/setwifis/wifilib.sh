# Shared by the Wi-Fi scripts (sourced after devicelib.sh, never run): the
# wireless interface, its supplicant and the files the launcher reads back.
# POSIX sh.
# shellcheck shell=sh

WIFI_IF=wlan0
# The supplicant's drivers, tried in order. A test on an interface without a
# radio names its own (wired).
WIFI_DRIVER=${WIFI_DRIVER:-nl80211,wext}
# Seconds to wait for an association and for a scan; tests shorten them.
WIFI_ASSOCIATE_WAIT=${WIFI_ASSOCIATE_WAIT:-15}
WIFI_SCAN_WAIT=${WIFI_SCAN_WAIT:-6}
WIFI_CTRL=/var/run/wpa_supplicant
WIFI_PIDFILE=/run/wpa_supplicant.$WIFI_IF.pid
WIFIDIR=$CONFIGS/network/wificonfigs
WIFI_STATUSFILE=$WIFIDIR/check_wifi_status.txt

# A request to the supplicant of the wireless interface.
wpa() {
    wpa_cli -p "$WIFI_CTRL" -i "$WIFI_IF" "$@" 2>/dev/null
}

supplicant_running() {
    [ "$(wpa ping)" = PONG ]
}

# Ends the supplicant of the interface, if one runs, and waits until it is
# gone: its control socket goes with it (asked while it ends, it would not
# answer for seconds). One that does not end is stopped by the process id
# it recorded.
supplicant_stop() {
    _pid=$(line 1 "$WIFI_PIDFILE")
    if supplicant_running; then
        wpa terminate > /dev/null
        _n=0
        while [ -S "$WIFI_CTRL/$WIFI_IF" ] && [ "$_n" -lt 30 ]; do
            sleep 0.1
            _n=$((_n + 1))
        done
    fi
    case $_pid in
        '' | *[!0-9]*) ;;
        *) kill "$_pid" 2>/dev/null && sleep 0.2 ;;
    esac
    rm -f "$WIFI_PIDFILE"
}

# Starts the supplicant in the background with configuration file $1, or
# with none (scans only) when $1 is empty. Fails when the supplicant refuses
# the file or the interface.
supplicant_start() {
    if [ -n "$1" ]; then
        wpa_supplicant -B -s -D "$WIFI_DRIVER" -i "$WIFI_IF" -C "$WIFI_CTRL" \
            -P "$WIFI_PIDFILE" -c "$1" > /dev/null 2>&1
    else
        wpa_supplicant -B -s -D "$WIFI_DRIVER" -i "$WIFI_IF" -C "$WIFI_CTRL" \
            -P "$WIFI_PIDFILE" > /dev/null 2>&1
    fi
}

wpa_state() {
    wpa status | sed -n 's/^wpa_state=//p'
}

# Waits until the supplicant holds an association, at most
# WIFI_ASSOCIATE_WAIT seconds.
wait_associated() {
    _n=$((WIFI_ASSOCIATE_WAIT * 5))
    while [ "$_n" -gt 0 ]; do
        [ "$(wpa_state)" = COMPLETED ] && return 0
        sleep 0.2
        _n=$((_n - 1))
    done
    [ "$(wpa_state)" = COMPLETED ]
}

# The supplicant prints a network name with its quotes, backslashes and the
# bytes outside printable ASCII escaped (\" \\ \e \n \r \t \xNN). For lines
# whose tab-separated fields from the $1th on are such a name, this gives
# the lines back with the name's own bytes; a line whose name the line
# layouts cannot carry (a line end, tab or NUL in it) is left out.
unescape_names() {
    LC_ALL=C awk -v field="$1" '
        BEGIN { FS = "\t"; for (i = 0; i < 256; i++) byte[sprintf("%02x", i)] = i }
        {
            prefix = ""
            for (i = 1; i < field; i++) prefix = prefix $i "\t"
            s = substr($0, length(prefix) + 1); out = ""; bad = 0
            while ((p = index(s, "\\")) > 0) {
                out = out substr(s, 1, p - 1)
                c = substr(s, p + 1, 1)
                if (c == "x") {
                    v = byte[tolower(substr(s, p + 2, 2))]
                    if (v == 0 || v == 9 || v == 10 || v == 13) bad = 1
                    else out = out sprintf("%c", v)
                    s = substr(s, p + 4)
                    continue
                }
                if (c == "n" || c == "r" || c == "t") bad = 1
                else if (c == "e") out = out "\033"
                else out = out c
                s = substr(s, p + 2)
            }
            if (!bad) print prefix out s
        }'
}

# Whether $1 is valid UTF-8, the text the launcher reads the files as.
is_utf8() {
    printf '%s' "$1" | iconv -f UTF-8 -t UTF-8 > /dev/null 2>&1
}

# The interface's first IPv4 address, empty when it has none.
wifi_address() {
    ip -4 -o addr show dev "$WIFI_IF" 2>/dev/null \
        | sed -n 's#.* inet \([0-9.]*\)/.*#\1#p' | head -n 1
}

# The status report the launcher reads: a first line, then when associated
# bssid=, ssid= (the name's own bytes), the association's details, and as
# the last line ip_address= once the interface holds an address. Replaced
# whole so that readers never see half of it.
write_status() {
    _report=$(wpa status)
    _state=$(printf '%s\n' "$_report" | sed -n 's/^wpa_state=//p')
    {
        echo "Selected interface '$WIFI_IF'"
        if [ "$_state" = COMPLETED ]; then
            printf '%s\n' "$_report" | sed -n '/^bssid=/p'
            _escaped=$(printf '%s\n' "$_report" | sed -n 's/^ssid=//p')
            _name=$(printf '%s\n' "$_escaped" | unescape_names 1)
            if [ -z "$_name" ] || ! is_utf8 "$_name"; then
                _name=$_escaped
            fi
            printf 'ssid=%s\n' "$_name"
            printf '%s\n' "$_report" \
                | sed -n '/^\(id\|mode\|pairwise_cipher\|group_cipher\|key_mgmt\|wpa_state\)=/p'
            _address=$(wifi_address)
            if [ -n "$_address" ]; then
                printf 'ip_address=%s\n' "$_address"
            fi
        else
            printf 'wpa_state=%s\n' "${_state:-DISCONNECTED}"
        fi
    } | write_atomic "$WIFI_STATUSFILE"
}

# Starts the supplicant with configuration file $1 in place of any running
# one, waits for the association and reports it. Fails when the file is
# missing or refused, or no association came.
associate_with() {
    mkdir -p "$WIFIDIR"
    supplicant_stop
    if [ ! -r "$1" ]; then
        log "no network configuration ${1##*/}: nothing to connect with"
        write_status
        return 1
    fi
    if ! supplicant_start "$1"; then
        log "the supplicant refused ${1##*/} or the interface $WIFI_IF"
        write_status
        return 1
    fi
    if wait_associated; then
        log "associated with the network of ${1##*/}"
        write_status
        return 0
    fi
    log "no association with the network of ${1##*/} within ${WIFI_ASSOCIATE_WAIT}s"
    write_status
    return 1
}
