#!/bin/sh
# Builds every program for the terminal (arm64) on this machine by cross
# compilation (Debian multiarch, cmake/aarch64-linux-gnu.cmake), release
# build, into BUILD_DIR (default: build-arm64/), then runs the agent's and the
# console's unit tests there in the sandbox under qemu-aarch64-static.
#   scripts/cross-arm64.sh [--no-tests] [BUILD_DIR [CMAKE_ARG...]]
# --no-tests configures without tests and builds the programs only, as a
# packager needs them: cpack can run in BUILD_DIR afterwards. Extra arguments
# go to CMake's configure step.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
tests=ON
if [ "${1:-}" = "--no-tests" ]; then
    tests=OFF
    shift
fi
build=${1:-$root/build-arm64}
[ $# -gt 0 ] && shift

"$root/scripts/install-deps.sh" --arm64

# The text table (language.db) is made at build time by the arm64
# makelanguagedb run through the emulator (the toolchain's
# CMAKE_CROSSCOMPILING_EMULATOR), so it needs no host build.
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/aarch64-linux-gnu.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DTERMINAL_TESTS=$tests -DTERMINAL_BENCHMARKS=OFF "$@" >/dev/null
if [ $tests = OFF ]; then
    cmake --build "$build" --parallel "$(nproc)"
    exit 0
fi

# With tests configured, the default target would build every test of every
# component: build the programs, and of the tests only those that run here.
units="-L unit -L ^(agent|console)$"
# Left out for reasons of the emulator (qemu-user 7.2), not of the code:
#   tst_config, tst_capture, tst_inventory: Qt starts processes with
#     clone(CLONE_PIDFD), which this qemu refuses (EINVAL), so no child
#     process ever starts;
#   tst_tcptasks: it makes sendfile() fail through a seccomp filter, which
#     qemu does not emulate;
#   tst_helper: qemu adds its own line to an aborting program's stderr,
#     which the test compares byte for byte.
emulator_gaps="^(tst_config|tst_capture|tst_inventory|tst_tcptasks|tst_helper)$"
# shellcheck disable=SC2086
names=$(cd "$build" && ctest -N $units -E "$emulator_gaps" | sed -n 's/^ *Test *#[0-9]*: *//p')
# shellcheck disable=SC2086
cmake --build "$build" --parallel "$(nproc)" \
    --target termagent termctl launcher launcher-lite language_db $names
for program in agent/termagent console/termctl launcher/launcher launcher/launcher-lite; do
    echo "$(stat -c %s "$build/$program") bytes  $(file -b "$build/$program" | cut -d, -f1,2)  $program"
done
# shellcheck disable=SC2086
(cd "$build" && ctest --output-on-failure --parallel "$(nproc)" $units -E "$emulator_gaps")
