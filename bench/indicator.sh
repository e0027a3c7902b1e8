#!/bin/bash
# The connection page on the simulated terminal, both builds: the time the
# GUI thread spends per network indicator tick, and the main window's build.
#
#   bench/indicator.sh [BUILD_DIR] [TICKS]     (run from anywhere, outside the sandbox)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
ticks=${2:-2000}

if [[ ${TERMINAL_SANDBOX:-} != 1 ]]; then
    cmake --build "$build" --target bench_indicator bench_indicator-lite language_db >/dev/null
    exec "$root/tests/sandbox/sandbox.sh" -- "$0" "$build" "$ticks"
fi

for program in bench_indicator bench_indicator-lite; do
    TERMINAL_LANGUAGE=0 "$root/scripts/seed-terminal.sh" "$root" "$build"
    echo "== $program"
    QT_QPA_PLATFORM=offscreen "$build/bench/$program" "$ticks" 2>/dev/null
done
