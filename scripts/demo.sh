#!/bin/sh
# Installs what is missing, builds, and runs the simulated terminal: the
# agent in a sandbox with the simulated device scripts, and a console that
# finds, configures and finally reboots it. With --shell, the walk-through
# ends in a shell on the console host instead of the reboot.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
BUILD_DIR="$root/build" "$root/scripts/build.sh" -DTERMINAL_BENCHMARKS=ON
# With an X display the launcher opens a window on it: the sandbox has its own
# /tmp, so the display's socket directory travels as descriptor 9.
if [ -n "${DISPLAY:-}" ] && [ -d /tmp/.X11-unix ]; then
    exec 9< /tmp/.X11-unix
fi
exec "$root/tests/sandbox/sandbox.sh" -- "$root/scripts/demo-terminal.sh" "$root" "$root/build" "$@"
