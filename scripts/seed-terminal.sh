#!/bin/bash
# Seeds the simulated terminal's file tree inside the sandbox: the device
# layer and its factory configuration (installed by the build's install
# rules), two server profiles and the language.
#   seed-terminal.sh ROOT BUILD
set -euo pipefail
root=$1 build=$2
[[ ${TERMINAL_SANDBOX:-} == 1 ]] || { echo "seed-terminal.sh: only inside the sandbox" >&2; exit 2; }
configs=/opt/zoderer/configs

printf 'demo-terminal\nT-0001\n' > /etc/hostname_s
# The device layer as its package installs it, with the configuration tree
# its first install makes from the factory tree; then the simulated scripts
# over the reference ones, for what the sandbox cannot have (power, radio).
cmake --install "$build" --prefix / --component device > /dev/null
cp -a -n /opt/zoderer/factory/configs/. $configs/
cp -R "$root"/tests/sandbox/simulated/login/. /opt/zoderer/login/
cp "$root/tests/sandbox/simulated/system/poweroff.sh" /opt/system/zoderer/

printf '10.0.0.50\nalice\nsecret\n3389\n\n1\n0\n0\n3\n' > $configs/usrinfodir/10.0.0.50.usr
printf '10.0.0.99\nbob\n\n3390\nOFFICE\n0\n0\n0\n10\n' > $configs/usrinfodir/10.0.0.99.usr
cp $configs/usrinfodir/10.0.0.50.usr $configs/usrinfodir/connectfile
# Volume, mute, USB disk, language (1 Chinese, 0 English), keyboard, sound output.
printf '50\nnone\nnone\n%s\n0\n0\n' "${TERMINAL_LANGUAGE:-1}" > $configs/peripheral/peripheralconfig
/opt/zoderer/login/setwifis/check_wifi_status.sh
