#!/bin/sh
# Restarts the terminal: through systemd, or with the plain command where
# systemd cannot do it (not running, or refused).
# shellcheck source=devicelib.sh
. /opt/zoderer/login/devicelib.sh

log "the terminal reboots"
systemctl reboot && exit 0
log "systemctl reboot failed; falling back to reboot"
reboot && exit 0
log "the terminal could not be rebooted"
exit 1
