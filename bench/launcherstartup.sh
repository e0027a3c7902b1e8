#!/bin/bash
# Start-up of both launchers against a bare Qt Widgets program showing one
# screen-sized window of 30 ordinary widgets (bench_bare_widgets): time from
# exec to the first painted frame, and peak resident memory (VmHWM) one
# second later; median of RUNS runs each, at 1024x768, on two platforms.
#
# The programs are run unmodified and watched from outside by
# bench_first_frame, the same way for all three:
#   offscreen  Qt's own paint logging (qt.widgets.painting) prints "Flushing"
#              when the window's backing store is first flushed to the screen.
#   linuxfb    the framebuffer stand-in (tests/sandbox/fbshim) maps a pixel
#              file as /dev/fb0; the frame is there at its first non-zero pixel.
# The terminal's files are seeded afresh before each program.
#
#   bench/launcherstartup.sh [BUILD_DIR] [RUNS]     (run from anywhere, outside the sandbox)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
runs=${2:-11}

if [[ ${TERMINAL_SANDBOX:-} != 1 ]]; then
    cmake --build "$build" --target bench_first_frame bench_bare_widgets launcher launcher-lite fbshim \
        language_db >/dev/null
    exec "$root/tests/sandbox/sandbox.sh" -- "$0" "$build" "$runs"
fi

config=/tmp/offscreen-1024x768.json
echo '{"screens": [{"name": "fb0", "x": 0, "y": 0, "width": 1024, "height": 768, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]}' > "$config"
export QT_QPA_FONTDIR=/usr/share/fonts

# measure PLATFORM PROGRAM: one run, prints "first_frame_ms vmhwm_kib".
measure() {
    TERMINAL_LANGUAGE=0 "$root/scripts/seed-terminal.sh" "$root" "$build"
    case $1 in
    offscreen)
        QT_QPA_PLATFORM="offscreen:configfile=$config" QT_LOGGING_RULES="qt.widgets.painting=true" \
            "$build/bench/bench_first_frame" --log Flushing "$2" ;;
    linuxfb)
        LD_PRELOAD="$build/tests/sandbox/fbshim/libfbshim.so" FBSHIM_FB0=/tmp/fb0 FBSHIM_FB0_GEOMETRY=1024x768x32 \
            QT_QPA_PLATFORM=linuxfb:fb=/dev/fb0:nographicsmodeswitch QT_QPA_FB_HIDECURSOR=1 QT_QPA_FB_DISABLE_INPUT=1 \
            "$build/bench/bench_first_frame" --fb /tmp/fb0 "$2" ;;
    esac
}

# median FILE COLUMN
median() {
    sort -n -k"$2","$2" "$1" | awk -v c="$2" '{v[NR] = $c} END {print v[int((NR + 1) / 2)]}'
}

programs=("bare widgets:$build/bench/bench_bare_widgets" "launcher:$build/launcher/launcher"
          "launcher-lite:$build/launcher/launcher-lite")
results=$(mktemp -d)
echo "first painted frame and peak memory, median of $runs runs, 1024x768"
for platform in offscreen linuxfb; do
    for ((run = 0; run < runs; ++run)); do
        for index in "${!programs[@]}"; do
            measure $platform "${programs[index]#*:}" >> "$results/$platform.$index"
        done
    done
    printf '%-10s %-14s %8s %6s %10s %6s\n' "$platform" program "frame ms" ratio "VmHWM KiB" ratio
    bare_ms=$(median "$results/$platform.0" 1) bare_kib=$(median "$results/$platform.0" 2)
    for index in "${!programs[@]}"; do
        ms=$(median "$results/$platform.$index" 1) kib=$(median "$results/$platform.$index" 2)
        printf '%-10s %-14s %8.1f %6.2f %10d %6.2f\n' "" "${programs[index]%%:*}" "$ms" \
            "$(awk -v a="$ms" -v b="$bare_ms" 'BEGIN {print a / b}')" "$kib" \
            "$(awk -v a="$kib" -v b="$bare_kib" 'BEGIN {print a / b}')"
    done
done
rm -rf "$results"
