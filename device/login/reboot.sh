#!/bin/sh
# Restarts the terminal: through systemd, or with the plain command where
# systemd cannot do it (not running, or refused).
# shellcheck source=devicelib.sh
. /opt/zoderer/login/devicelib.sh

power reboot
