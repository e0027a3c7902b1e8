#!/bin/sh
# Powers the terminal off when the management console asks: through
# systemd, or with the plain command where systemd cannot do it.
# shellcheck source=../login/devicelib.sh
. /opt/zoderer/login/devicelib.sh

power poweroff
