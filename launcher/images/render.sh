#!/bin/sh
# Renders the launcher's pictures from the SVG sources in src/ into the PNG
# files that images.qrc compiles in. The PNGs are kept in the repository, so
# the build does not need this; run it after changing a source.
# Needs rsvg-convert (Debian: librsvg2-bin), a C compiler and libpng-dev.
set -eu
cd "$(dirname "$0")"

# The PNGs are stored in the form that decodes fastest at start (see src/packpng.c).
tools=$(mktemp -d)
trap 'rm -rf "$tools"' EXIT
cc -O2 -Wall -o "$tools/packpng" src/packpng.c $(pkg-config --cflags --libs libpng)

# The palette: one accent blue, its hover and pressed shades, and the
# state colours of the network indicator.
accent='#2a72c0'
accent_hover='#3a86d4'
accent_pressed='#1f5c9e'
disabled='#a9b3bd'
connected='#2f9e6e'
waiting='#d8952a'
down='#7f8b98'

# picture OUTPUT TEMPLATE [NAME=VALUE]...: renders src/TEMPLATE.svg with
# every @NAME@ replaced by VALUE.
picture() {
    output=$1
    template=src/$2.svg
    shift 2
    script=""
    for pair in "$@"; do
        script="$script s|@${pair%%=*}@|${pair#*=}|g;"
    done
    svg=$(sed -e "$script" "$template")
    case $svg in
        *@[A-Z]*@*) echo "render.sh: $output: a placeholder of $template has no value" >&2; exit 1 ;;
    esac
    mkdir -p "$(dirname "$output")"
    printf '%s\n' "$svg" | rsvg-convert --format=png --output="$output"
    "$tools/packpng" "$output"
}

# One background per screen size the display page offers (and 1366x768).
for size in 800X600 1024X768 1280X720 1280X1024 1360X768 1366x768 1440X900 1680X1050 1920X1080; do
    picture "$size.png" background WIDTH="${size%[Xx]*}" HEIGHT="${size#*[Xx]}"
done

picture main.png main

picture release/back.png button FILL="$accent" SHADEY=39
picture over/back.png button FILL="$accent_hover" SHADEY=39
picture press/back.png button FILL="$accent_pressed" SHADEY=0
picture disabled/back.png button FILL="$disabled" SHADEY=39

picture lineedit.png lineedit INSET=0.5 INNERWIDTH=239 INNERHEIGHT=33 STROKE='#b3bdc8' STROKEWIDTH=1
picture lineedit_focus.png lineedit INSET=1 INNERWIDTH=238 INNERHEIGHT=32 STROKE="$accent" STROKEWIDTH=2

picture check.png panel WIDTH=440 HEIGHT=240 INNERWIDTH=439 INNERHEIGHT=239
picture tabwdt.png panel WIDTH=260 HEIGHT=320 INNERWIDTH=259 INNERHEIGHT=319

picture check-button_off.png checkbox OFF=inline ON=none
picture check-button_on.png checkbox OFF=none ON=inline
picture radio-button_off.png radio OFF=inline ON=none
picture radio-button_on.png radio OFF=none ON=inline

picture usr.png user FILL="$accent" RING=none
picture usr1.png user FILL="$accent_hover" RING='#a9cbee'

picture connect.png netstatus COLOR="$connected" GLYPH=wired SLASH=none BADGE=none
picture connect_wifi.png netstatus COLOR="$connected" GLYPH=wifi SLASH=none BADGE=none
picture disconnect.png netstatus COLOR="$down" GLYPH=wired SLASH=inline BADGE=none
picture neterror.png netstatus COLOR="$waiting" GLYPH=wired SLASH=none BADGE=inline
picture neterror_wifi.png netstatus COLOR="$waiting" GLYPH=wifi SLASH=none BADGE=inline
