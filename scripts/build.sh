#!/bin/sh
# Configures and builds into BUILD_DIR (default: build/). Extra arguments go
# to CMake's configure step.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
cmake -S "$root" -B "$build" "$@" >/dev/null
cmake --build "$build" --parallel "$(nproc)"
