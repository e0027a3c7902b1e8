#!/bin/bash
# Screenshot cost: the agent's framebuffer capture + JPEG against one copy of
# the frame plus one bare libjpeg encode, at 1920x1080 (32 bits, and the
# agent at 16 bits), in the sandbox with the framebuffer stand-in.
#
#   bench/screenshot.sh [BUILD_DIR] [RUNS]     (run from anywhere, outside the sandbox)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
runs=${2:-15}

if [[ ${TERMINAL_SANDBOX:-} != 1 ]]; then
    exec "$root/tests/sandbox/sandbox.sh" -- "$0" "$build" "$runs"
fi
LD_PRELOAD="$build/tests/sandbox/fbshim/libfbshim.so" exec "$build/bench/bench_screenshot" "$runs"
