#!/bin/sh
# Waits one second (the connect dialog's pause before an address check).
# shellcheck source=../devicelib.sh
. /opt/zoderer/login/devicelib.sh

sleep 1
