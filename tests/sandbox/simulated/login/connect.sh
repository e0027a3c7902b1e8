#!/bin/sh
# Simulated terminal: the remote-desktop session. It takes the connection
# from the current-connection file, as the real client does, and holds the
# launcher for a while as a session would (CONNECT_SECONDS, 5 by default).
file=/opt/zoderer/configs/usrinfodir/connectfile
log() { echo "$(date '+%T') connect.sh: $*" >> /tmp/device.log; }
if [ ! -r "$file" ]; then
    log "no current connection in $file"
    exit 1
fi
server=$(sed -n 1p "$file")
user=$(sed -n 2p "$file")
port=$(sed -n 4p "$file")
domain=$(sed -n 5p "$file")
log "session to $server port $port as user '$user' domain '$domain' (from $file)"
sleep "${CONNECT_SECONDS:-5}"
log "session to $server ended"
