#!/bin/bash
# The settings area on the simulated terminal, both builds: how long the GUI
# thread is held per Wi-Fi status tick (associated, with an address), and the
# launcher's peak memory after visiting every settings page.
#
#   bench/settings.sh [BUILD_DIR] [SECONDS]     (run from anywhere, outside the sandbox)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
seconds=${2:-20}

if [[ ${TERMINAL_SANDBOX:-} != 1 ]]; then
    cmake --build "$build" --target bench_settings bench_settings-lite language_db >/dev/null
    exec "$root/tests/sandbox/sandbox.sh" -- "$0" "$build" "$seconds"
fi

for program in bench_settings bench_settings-lite; do
    TERMINAL_LANGUAGE=0 "$root/scripts/seed-terminal.sh" "$root" "$build"
    # Associated with an address, so every tick reads a full report.
    wifi=/opt/zoderer/configs/network/wificonfigs
    printf 'ctrl_interface=/var/run/wpa_supplicant\nnetwork={\n        ssid="Office"\n        psk="office-2024"\n}\n' \
        > $wifi/wpa_supplicant.conf
    /opt/zoderer/login/setwifis/connectwifi_defaul.sh
    echo "== $program"
    "$build/bench/$program" tick "$seconds" 2>/dev/null
    "$build/bench/$program" memory 2>/dev/null
done
