#!/bin/sh
# Installs what is missing, builds, and runs every test: the whole suite in
# build/, then the concurrency stress test again under ThreadSanitizer.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"

BUILD_DIR="$root/build" "$root/scripts/build.sh"
(cd "$root/build" && ctest --output-on-failure --parallel 2)

BUILD_DIR="$root/build-tsan" "$root/scripts/build.sh" \
    -DTERMINAL_SANITIZER=thread -DTERMINAL_BENCHMARKS=OFF -DCMAKE_BUILD_TYPE=Debug
(cd "$root/build-tsan" && ctest --output-on-failure -L stress)
