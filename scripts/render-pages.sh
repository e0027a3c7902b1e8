#!/bin/bash
# Renders every launcher page and dialog of both builds, in Chinese and in
# English, at 1024x768 and 1920x1080, to PNG files for review:
#   scripts/render-pages.sh [BUILD_DIR [OUTPUT_DIR]]
# (defaults: build, BUILD_DIR/pages). Runs the page renderer of each build
# (docs/renderer, built with the tests) in the sandbox on Qt's offscreen
# platform, once for the connection page's set and once for the settings'.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

if [[ ${1:-} == --inside ]]; then
    build=$2 out=$3
    for size in 1024x768 1920x1080; do
        config=/tmp/offscreen-$size.json
        printf '{"screens": [{"name": "fb0", "x": 0, "y": 0, "width": %d, "height": %d, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]}\n' \
            "${size%x*}" "${size#*x}" > "$config"
        for language in zh en; do
            flag=1
            [[ $language == en ]] && flag=0
            TERMINAL_LANGUAGE=$flag "$root/scripts/seed-terminal.sh" "$root" "$build"
            for set in pages settings; do
                for program in renderpages renderpages-lite; do
                    name=launcher
                    [[ $program == *-lite ]] && name=launcher-lite
                    QT_QPA_PLATFORM="offscreen:configfile=$config" QT_QPA_FONTDIR=/usr/share/fonts \
                        "$build/docs/renderer/$program" "$set" "$out/$name-$language-$size"
                done
            done
        done
    done
    exit 0
fi

build=$(cd "${1:-$root/build}" && pwd)
out=${2:-$build/pages}
mkdir -p "$out"
out=$(cd "$out" && pwd)
cmake --build "$build" --target renderpages renderpages-lite language_db >/dev/null
"$root/tests/sandbox/sandbox.sh" -- "$0" --inside "$build" "$out"
echo "render-pages: $(find "$out" -name '*.png' | wc -l) pictures in $out"
