#!/bin/bash
# Seeds the simulated terminal's file tree inside the sandbox: the device
# scripts, the configuration files the launchers and the agent expect, two
# server profiles and the text table.
#   seed-terminal.sh ROOT BUILD
set -euo pipefail
root=$1 build=$2
[[ ${TERMINAL_SANDBOX:-} == 1 ]] || { echo "seed-terminal.sh: only inside the sandbox" >&2; exit 2; }
configs=/opt/zoderer/configs

printf 'demo-terminal\nT-0001\n' > /etc/hostname_s
mkdir -p /opt/zoderer/login /opt/system/zoderer
cp -R "$root"/tests/sandbox/simulated/login/. /opt/zoderer/login/
cp "$root/tests/sandbox/simulated/system/poweroff.sh" /opt/system/zoderer/

mkdir -p $configs/usrinfodir $configs/database $configs/peripheral $configs/passwd $configs/display \
    $configs/hdmi $configs/network/wificonfigs/hotspotinfo
cp "$build/device/language.db" $configs/database/language.db
printf '10.0.0.50\nalice\nsecret\n3389\n\n1\n0\n0\n3\n' > $configs/usrinfodir/10.0.0.50.usr
printf '10.0.0.99\nbob\n\n3390\nOFFICE\n0\n0\n0\n10\n' > $configs/usrinfodir/10.0.0.99.usr
cp $configs/usrinfodir/10.0.0.50.usr $configs/usrinfodir/connectfile
echo 0 > $configs/usrinfodir/autologin
# Volume, mute, USB disk, language (1 Chinese, 0 English), keyboard, sound output.
printf '50\nnone\nnone\n%s\n0\n0\n' "${TERMINAL_LANGUAGE:-1}" > $configs/peripheral/peripheralconfig
printf '1024x768-60\n32\n' > $configs/display/resolution
echo 32 > $configs/display/colordepth
echo 0 > $configs/hdmi/display
echo wired > $configs/network/Networkselection
printf 'auto\n \n \n \n \n \n' > $configs/network/netconfig
printf 'auto\n \n \n \n \n \n' > $configs/network/wificonfigs/wificonfig.txt
/opt/zoderer/login/setwifis/check_wifi_status.sh
