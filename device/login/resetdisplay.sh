#!/bin/sh
# Returns the display to a safe mode, 1024x768 at 60 Hz (the stored colour
# depth kept when valid, else 32): stored in display/resolution and
# display/colordepth, then applied by setdisplay.sh.
# shellcheck source=devicelib.sh
. /opt/zoderer/login/devicelib.sh

dir=$CONFIGS/display
depth=$(line 1 "$dir/colordepth")
case $depth in 16 | 24 | 32) ;; *) depth=32 ;; esac
mkdir -p "$dir" || exit 1
if ! printf '1024x768-60\n%s\n' "$depth" | write_atomic "$dir/resolution" ||
    ! printf '%s\n' "$depth" | write_atomic "$dir/colordepth"; then
    log "the safe mode could not be stored in $dir"
    exit 1
fi
log "the display is reset to 1024x768-60, depth $depth"
exec /bin/sh /opt/zoderer/login/setdisplay.sh
