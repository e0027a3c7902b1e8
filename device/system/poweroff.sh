#!/bin/sh
# Powers the terminal off when the management console asks: through
# systemd, or with the plain command where systemd cannot do it.
# shellcheck source=../login/devicelib.sh
. /opt/zoderer/login/devicelib.sh

log "the terminal powers off"
systemctl poweroff && exit 0
log "systemctl poweroff failed; falling back to poweroff"
poweroff && exit 0
log "the terminal could not be powered off"
exit 1
