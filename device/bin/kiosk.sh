#!/bin/sh
# Starts the launcher full screen (the kiosk service runs this on tty1): the
# one of the software tree the last update installed when that tree holds a
# launcher, else the one the package installed. Either build is taken, the
# full one first, so that an update may switch a terminal between them.
# shellcheck source=../login/devicelib.sh
. /opt/zoderer/login/devicelib.sh

for dir in /opt/zoderer/software/current/bin /opt/zoderer/bin; do
    for name in launcher launcher-lite; do
        if [ -f "$dir/$name" ] && [ -x "$dir/$name" ]; then
            log "starting $dir/$name"
            exec "$dir/$name" "$@"
        fi
    done
done
log "no launcher in /opt/zoderer/software/current/bin or /opt/zoderer/bin"
exit 1
