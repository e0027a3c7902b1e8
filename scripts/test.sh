#!/bin/sh
# Installs what is missing, builds, and runs every test: the whole suite in
# build/, then the concurrency stress test again under ThreadSanitizer; then
# builds the Debian packages for amd64 and arm64 and runs the agent's and the
# console's unit tests on arm64 under emulation.
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

# The packages of both architectures, from release builds: a packager's
# optimised build sees warnings the default one does not (values clobbered by
# longjmp, overlapping copies), so every program is compiled that way too. The
# terminal is arm64: package.sh cross-builds every program for it, and the
# agent's and the console's unit tests then run there under the emulator.
"$root/scripts/package.sh" amd64
"$root/scripts/package.sh" arm64
"$root/scripts/cross-arm64.sh" "$root/build-arm64"
