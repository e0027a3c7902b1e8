#!/bin/sh
# Installs what is missing, builds, and runs every test: the whole suite in
# build/, then the concurrency stress test again under ThreadSanitizer. The
# programs are also built as a packager builds them, in build-release/.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"

# Benchmarks are run by hand (bench/); the test run does not build them.
BUILD_DIR="$root/build" "$root/scripts/build.sh" -DTERMINAL_BENCHMARKS=OFF
(cd "$root/build" && ctest --output-on-failure --parallel 2)

# A packager's optimised build sees warnings the default one does not (values
# clobbered by longjmp, overlapping copies): every program is compiled that way
# too.
cmake -S "$root" -B "$root/build-release" -DCMAKE_BUILD_TYPE=Release -DTERMINAL_TESTS=OFF \
    -DTERMINAL_BENCHMARKS=OFF >/dev/null
cmake --build "$root/build-release" --parallel "$(nproc)"

# Only the stress test and what it needs are built with the sanitizer.
cmake -S "$root" -B "$root/build-tsan" -DTERMINAL_SANITIZER=thread -DTERMINAL_BENCHMARKS=OFF \
    -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build "$root/build-tsan" --parallel "$(nproc)" --target tst_stress
(cd "$root/build-tsan" && ctest --output-on-failure -L stress)

# The terminal is arm64: every program is cross-built too, and the agent's and
# the console's unit tests run under the emulator (scripts/cross-arm64.sh).
"$root/scripts/cross-arm64.sh" "$root/build-arm64"
