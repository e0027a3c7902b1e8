#!/bin/sh
# Powers the terminal off: through systemd, or with the plain command where
# systemd cannot do it (not running, or refused).
# shellcheck source=devicelib.sh
. /opt/zoderer/login/devicelib.sh

log "the terminal powers off"
systemctl poweroff && exit 0
log "systemctl poweroff failed; falling back to poweroff"
poweroff && exit 0
log "the terminal could not be powered off"
exit 1
