#!/bin/sh
# Simulated terminal: associates with the saved network of
# wpa_supplicant.conf and applies the Wi-Fi addressing.
. "$(dirname "$0")/simulated-radio.sh"
associate "$wifidir/wpa_supplicant.conf"
"$(dirname "$0")/setwifi.sh"
