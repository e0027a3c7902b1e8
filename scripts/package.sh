#!/bin/sh
# Builds the terminal's Debian packages into build/packages/ARCH/:
# terminal-device (scripts, factory configuration; Architecture all),
# terminal-termagent, terminal-launcher and terminal-launcher-lite.
#
#   scripts/package.sh [amd64|arm64]     (default: amd64)
#
# Both are release builds: amd64 natively in build-release/, arm64 by cross
# compilation into build-arm64/ (scripts/cross-arm64.sh), whose tree this
# script then packs in the same way.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
arch=${1:-amd64}

case $arch in
    amd64)
        "$root/scripts/install-deps.sh"
        # The optimised build a terminal runs, in build-release/: every
        # program, without tests.
        build=$root/build-release
        cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DTERMINAL_TESTS=OFF \
            -DTERMINAL_BENCHMARKS=OFF > /dev/null
        cmake --build "$build" --parallel "$(nproc)"
        ;;
    arm64)
        build=$root/build-arm64
        "$root/scripts/cross-arm64.sh" --no-tests "$build"
        # dpkg-shlibdeps looks the libraries up in the host's multiarch
        # directory: the arm64 one here.
        export DEB_HOST_ARCH=arm64 DEB_HOST_MULTIARCH=aarch64-linux-gnu
        ;;
    *)
        echo "usage: package.sh [amd64|arm64]" >&2
        exit 2
        ;;
esac

out=$root/build/packages/$arch
mkdir -p "$out"
rm -f "$out"/*.deb
# CPack stages each package under its own directory; the result goes to $out.
cpack --config "$build/CPackConfig.cmake" -B "$out/staging" -D CPACK_DEBIAN_PACKAGE_ARCHITECTURE="$arch"
mv "$out"/staging/*.deb "$out"/
rm -rf "$out/staging"
ls -l "$out"/*.deb
