#!/bin/sh
# Simulated terminal: associates with the network of
# wpa_supplicant_connect.conf when the passphrase is right.
. "$(dirname "$0")/simulated-radio.sh"
associate "$wifidir/wpa_supplicant_connect.conf"
