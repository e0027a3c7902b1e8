#!/bin/sh
# Applies display/resolution (line 1: WIDTHxHEIGHT-RATE, e.g. 1280x720-60)
# and display/colordepth (line 1: 16, 24 or 32; else line 2 of the
# resolution file). Under X (a usable $DISPLAY) the first connected output
# takes the mode with xrandr, the colour depth being the X server's own;
# on the framebuffer console fbset sets both.
# shellcheck source=devicelib.sh
. /opt/zoderer/login/devicelib.sh

dir=$CONFIGS/display
stored=$(line 1 "$dir/resolution")
depth=$(line 1 "$dir/colordepth")
[ -n "$depth" ] || depth=$(line 2 "$dir/resolution")

mode=${stored%%-*}
rate=
case $stored in *-*) rate=${stored#*-} ;; esac
width=${mode%%x*}
height=${mode#*x}
case $mode/$width/$height in
    *x*/[0-9]*/[0-9]*) valid=1 ;;
    *) valid=0 ;;
esac
case $width$height in *[!0-9]*) valid=0 ;; esac
if [ "$valid" -eq 0 ]; then
    log "refused: no valid mode in $dir/resolution"
    exit 1
fi
case $rate in *[!0-9.]*) rate= ;; esac
case $depth in 16 | 24 | 32) ;; *) depth=32 ;; esac

if [ -n "${DISPLAY:-}" ] && query=$(xrandr --query 2>/dev/null); then
    output=$(printf '%s\n' "$query" | awk '$2 == "connected" && $3 == "primary" { print $1; exit }')
    [ -n "$output" ] ||
        output=$(printf '%s\n' "$query" | awk '$2 == "connected" { print $1; exit }')
    if [ -z "$output" ]; then
        log "no connected output on $DISPLAY; nothing applied"
        exit 1
    fi
    if [ -n "$rate" ]; then
        xrandr --output "$output" --mode "$mode" --rate "$rate"
    else
        xrandr --output "$output" --mode "$mode"
    fi || { log "xrandr could not set $mode on $output"; exit 1; }
    log "mode $mode${rate:+ at $rate Hz} on $output (X keeps its own depth)"
    exit 0
fi

# The framebuffer the terminal shows: the HDMI one when it is in use.
fb=/dev/fb0
hdmi=$(line 1 "$CONFIGS/hdmi/display")
case $hdmi in '' | *[!0-9]* | 0) ;; *) [ -e /dev/fb1 ] && fb=/dev/fb1 ;; esac
if fbset -fb "$fb" -xres "$width" -yres "$height" -vxres "$width" -vyres "$height" -depth "$depth"; then
    log "mode ${width}x$height depth $depth on $fb"
else
    log "fbset could not set ${width}x$height depth $depth on $fb"
    exit 1
fi
