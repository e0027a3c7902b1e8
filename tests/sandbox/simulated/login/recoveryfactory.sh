#!/bin/sh
# Simulated terminal: the factory reset. The settings return to their
# factory values and saved Wi-Fi networks and administrator passwords are
# forgotten; server profiles stay.
configs=/opt/zoderer/configs
wifi=$configs/network/wificonfigs
mkdir -p $configs/display $configs/peripheral $configs/passwd $wifi/hotspotinfo
printf '1024x768-60\n32\n' > $configs/display/resolution
echo 32 > $configs/display/colordepth
printf '50\nnone\nnone\n1\n0\n\n' > $configs/peripheral/peripheralconfig
printf 'wired' > $configs/network/Networkselection
printf 'auto\n \n \n \n \n \n' > $configs/network/netconfig
printf 'auto\n \n \n \n \n \n' > $wifi/wificonfig.txt
rm -f $wifi/hotspotinfo/* $wifi/wpa_supplicant.conf $wifi/wpa_supplicant_connect.conf
: > $configs/passwd/passwdconfig
echo "$(date '+%T') recoveryfactory.sh: the settings are back to their factory values" >> /tmp/device.log
