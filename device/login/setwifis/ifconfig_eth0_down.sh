#!/bin/sh
# Takes eth0 down (the launcher starts it when the terminal turns to Wi-Fi).
# shellcheck source=devicelib.sh
. /opt/zoderer/login/devicelib.sh

set_link eth0 down
