#!/bin/sh
# Associates with the network the connect dialog wrote into
# wpa_supplicant_connect.conf and reports the outcome in
# check_wifi_status.txt.
# shellcheck source=../devicelib.sh
. /opt/zoderer/login/devicelib.sh
# shellcheck source=wifilib.sh
. /opt/zoderer/login/setwifis/wifilib.sh

associate_with "$WIFIDIR/wpa_supplicant_connect.conf"
