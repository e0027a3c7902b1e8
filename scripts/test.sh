#!/bin/sh
# Installs what is missing, builds, and runs every test: the whole suite in
# build/, then the concurrency stress test again under ThreadSanitizer; then
# builds the arm64 packages and runs the agent's and the console's unit tests
# on arm64 under emulation.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"

# Benchmarks are run by hand (bench/); the test run does not build them.
BUILD_DIR="$root/build" "$root/scripts/build.sh" -DTERMINAL_BENCHMARKS=OFF
(cd "$root/build" && ctest --output-on-failure --parallel 2)

# Only the stress test and what it needs are built with the sanitizer.
cmake -S "$root" -B "$root/build-tsan" -DTERMINAL_SANITIZER=thread -DTERMINAL_BENCHMARKS=OFF \
    -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build "$root/build-tsan" --parallel "$(nproc)" --target tst_stress
(cd "$root/build-tsan" && ctest --output-on-failure -L stress)

# The terminal is arm64: package.sh cross-builds every program for it, as a
# release build (a packager's optimised build sees warnings the default one
# does not: values clobbered by longjmp, overlapping copies), and makes its
# packages; the agent's and the console's unit tests then run there under the
# emulator. The amd64 packages are built, installed, upgraded and removed by
# tst_packages above.
"$root/scripts/package.sh" arm64
"$root/scripts/cross-arm64.sh" "$root/build-arm64"
