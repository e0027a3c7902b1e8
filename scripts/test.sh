#!/bin/sh
# Installs what is missing, builds, and runs every test: the whole suite in
# build/, then the concurrency stress test again under ThreadSanitizer.
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
