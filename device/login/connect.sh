#!/bin/sh
# The remote-desktop session: the launcher writes the current connection
# (usrinfodir/connectfile: server, user, password, port, domain, ... one per
# line) and starts this script without arguments. It runs the RDP client full
# screen and keeps the session alive across network drops:
#   - the client ended because the connection was lost: wait for the link,
#     then reconnect, with a growing delay and a bound on attempts;
#   - the session was logged off or closed, or the server refused the
#     credentials or its certificate changed: end at once.
# The password reaches the client on its standard input only (never in an
# argument list, the environment or a log line).
#
# Exit status: 0 session ended (log-off, closed), 1 no connection or client
# failure, 2 refused (credentials, certificate), 3 gave up reconnecting.
#
# Tuning (environment, optional): RDP_RETRIES (reconnects in a row, 8),
# RDP_RETRY_DELAY (first delay in seconds, 2; doubles up to 60),
# RDP_LINK_WAIT (seconds to wait for the link, 120), RDP_STABLE_SECONDS (a
# session that lasted this long resets the count, 60).

# shellcheck source=devicelib.sh
. /opt/zoderer/login/devicelib.sh

file=$CONFIGS/usrinfodir/connectfile
retries=${RDP_RETRIES:-8}
first_delay=${RDP_RETRY_DELAY:-2}
max_delay=60
link_wait=${RDP_LINK_WAIT:-120}
stable=${RDP_STABLE_SECONDS:-60}

client_pid=
xserver_pid=
errors=

cleanup() {
    if [ -n "$client_pid" ]; then
        kill "$client_pid" 2>/dev/null
    fi
    if [ -n "$xserver_pid" ]; then
        log "stopping the X server (pid $xserver_pid)"
        kill "$xserver_pid" 2>/dev/null
    fi
    if [ -n "$errors" ]; then
        rm -f "$errors"
    fi
}
trap cleanup EXIT
trap 'log "stopped by a signal"; exit 143' TERM INT HUP

if [ ! -r "$file" ]; then
    log "no current connection in $file"
    exit 1
fi
server=$(line 1 "$file")
user=$(line 2 "$file")
password=$(line 3 "$file")
port=$(line 4 "$file")
domain=$(line 5 "$file")
if [ -z "$server" ]; then
    log "the current connection names no server"
    exit 1
fi
case $port in
    '' | *[!0-9]*) port=3389 ;;
esac

# Where no X server runs, one is started for the session on the framebuffer
# (the first free display); where DISPLAY is set, the client uses it.
start_xserver() {
    if [ -n "${DISPLAY:-}" ]; then
        return 0
    fi
    _n=0
    while [ -e "/tmp/.X11-unix/X$_n" ] || [ -e "/tmp/.X$_n-lock" ]; do
        _n=$((_n + 1))
    done
    log "starting an X server on display :$_n"
    Xorg ":$_n" -nolisten tcp -noreset </dev/null >/dev/null 2>&1 &
    xserver_pid=$!
    _waited=0
    while [ ! -e "/tmp/.X11-unix/X$_n" ]; do
        if [ "$_waited" -ge 150 ] || ! kill -0 "$xserver_pid" 2>/dev/null; then
            log "the X server on display :$_n did not start"
            exit 1
        fi
        sleep 0.1
        _waited=$((_waited + 1))
    done
    DISPLAY=:$_n
    export DISPLAY
}

# Why the client ended, from its exit status and its error text:
# ended (log-off, closed), refused, lost (the connection) or failed.
outcome() {
    if grep -qE 'ERRCONNECT_(AUTHENTICATION_FAILED|LOGON_FAILURE|WRONG_PASSWORD|ACCOUNT_[A-Z_]+|PASSWORD_[A-Z_]+|ACCESS_DENIED|LOGON_TYPE_NOT_GRANTED|NO_OR_MISSING_CREDENTIALS|CLIENT_REVOKED)|Host key verification failed|certificate not trusted' "$2"; then
        echo refused
        return
    fi
    case $1 in
        # Closed, disconnected or logged off by the user or the server, idle
        # or replaced by another session of the same user.
        0 | 1 | 2 | 3 | 4 | 5 | 11 | 12) echo ended ;;
        # Denied, credentials refused, locked, expired, wrong password...
        7 | 9 | 10 | 132 | 134 | 135 | 148 | 149 | 151 | 152 | 153 | 154 | 155 | 156 | 157 | 158 | 159) echo refused ;;
        # The connection failed or broke: no route, reset, name lookup, TLS
        # or transport failure, killed client.
        131 | 133 | 137 | 139 | 140 | 141 | 142 | 143 | 147 | 150) echo lost ;;
        *) echo failed ;;
    esac
}

# One run of the client, to its end; sets status.
run_client() {
    set -- "/v:$server:$port" /cert:tofu /f /log-level:WARN
    if [ -n "$domain" ]; then
        set -- "$@" "/d:$domain"
    fi
    if [ -n "$user" ]; then
        # printf is built in: the password is in no process's arguments.
        printf '%s\n' "$password" | xfreerdp "$@" "/u:$user" /from-stdin >"$errors" 2>&1 &
    else
        xfreerdp "$@" </dev/null >"$errors" 2>&1 &
    fi
    client_pid=$!
    wait "$client_pid"
    status=$?
    client_pid=
}

# The network path to the server is up: its address resolves and the
# interface of its route has its link.
link_up() {
    _addr=$(getent ahosts "$server" 2>/dev/null | awk 'NR == 1 { print $1 }')
    [ -n "$_addr" ] || return 1
    _dev=$(ip -o route get "$_addr" 2>/dev/null | sed -n 's/.* dev \([^ ]*\).*/\1/p')
    [ -n "$_dev" ] || return 1
    _state=$(cat "/sys/class/net/$_dev/operstate" 2>/dev/null)
    [ "$_state" = up ] || [ "$_state" = unknown ]
}

wait_for_link() {
    link_up && return 0
    log "waiting for the link to $server"
    _waited=0
    until link_up; do
        if [ "$_waited" -ge "$link_wait" ]; then
            log "no link to $server after ${link_wait}s"
            return 1
        fi
        sleep 1
        _waited=$((_waited + 1))
    done
    log "link to $server is back"
}

start_xserver
errors=$(mktemp /tmp/connect.XXXXXX) || exit 1
if [ -z "$user" ]; then
    log "no user in the current connection: the server asks for the credentials"
fi

tries=0
delay=$first_delay
while :; do
    log "connecting to $server port $port as user '$user' domain '$domain'"
    started=$(date +%s)
    run_client
    lasted=$(($(date +%s) - started))
    result=$(outcome "$status" "$errors")
    reason=$(grep -oE 'ERR(CONNECT|INFO)_[A-Z_]+' "$errors" | tail -n 1)
    if grep -q 'Host key verification failed' "$errors"; then
        reason="server certificate changed${reason:+, $reason}"
    fi
    case $result in
        ended)
            log "session to $server ended (status $status)"
            exit 0
            ;;
        refused)
            log "server $server refused the session (status $status${reason:+, $reason})"
            exit 2
            ;;
        failed)
            log "client failed for $server (status $status${reason:+, $reason})"
            exit 1
            ;;
    esac
    if [ "$lasted" -ge "$stable" ]; then
        tries=0
        delay=$first_delay
    fi
    tries=$((tries + 1))
    if [ "$tries" -gt "$retries" ]; then
        log "giving up on $server after $retries reconnects (status $status${reason:+, $reason})"
        exit 3
    fi
    log "connection to $server lost (status $status${reason:+, $reason}): reconnect $tries of $retries in ${delay}s"
    wait_for_link
    sleep "$delay"
    delay=$((delay * 2))
    if [ "$delay" -gt "$max_delay" ]; then
        delay=$max_delay
    fi
done
