#!/bin/sh
# Takes wlan0 down, which ends any Wi-Fi association (the launcher starts it
# when the terminal turns to the wired network).
# shellcheck source=devicelib.sh
. /opt/zoderer/login/devicelib.sh

set_link wlan0 down
