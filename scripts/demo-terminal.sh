#!/bin/bash
# The simulated terminal, run inside the sandbox by demo.sh: seeds the
# terminal's file tree, starts termagent and drives it from the console host.
set -euo pipefail
root=$1 build=$2
shell=0
[[ ${3:-} == --shell ]] && shell=1
sandbox=$root/tests/sandbox/sandbox.sh
agentdir=/opt/zoderer/termagent
console() { "$sandbox" host console -- "$build/console/termctl" "$@"; }
say() { printf '\n\033[1m== %s\033[0m\n' "$*"; }

"$root/scripts/seed-terminal.sh" "$root" "$build"
mkdir -p $agentdir
cp "$build/agent/termagent" "$root"/tests/sandbox/simulated/agent/*.sh "$root/tests/sandbox/simulated/agent/ReceiveBc" $agentdir/
# The launcher connects automatically at start, after a 3-second countdown.
printf '10.0.0.50\nalice\nsecret\n3389\n\n1\n1\n0\n3\n' > /opt/zoderer/configs/usrinfodir/10.0.0.50.usr
echo 1 > /opt/zoderer/configs/usrinfodir/autologin

# The launcher draws on the framebuffer as on the terminal; here /dev/fb0 is
# a pixel file behind the fbshim preload, which the agent captures from too.
# With an X display (demo.sh passes its socket directory as descriptor 9) it
# opens a window there instead.
export FBSHIM_FB0=/tmp/fb0.pixels FBSHIM_FB0_GEOMETRY=1024x768x32
fbshim=$build/tests/sandbox/fbshim/libfbshim.so
start_launcher() {
    local display=${DISPLAY:-}
    display=${display#*:}
    display=${display%%.*}
    if [[ -n ${DISPLAY:-} && -e /proc/self/fd/9/X$display ]]; then
        mkdir -p /tmp/.X11-unix
        ln -sf "/proc/self/fd/9/X$display" "/tmp/.X11-unix/X$display"
        say "launcher starts in a window on display $DISPLAY; its log: /tmp/launcher.log"
        QT_QPA_PLATFORM=xcb CONNECT_SECONDS=4 "$build/launcher/launcher" > /tmp/launcher.log 2>&1 &
    else
        say "launcher starts on the simulated framebuffer /dev/fb0 (1024x768); its log: /tmp/launcher.log"
        LD_PRELOAD=$fbshim QT_QPA_PLATFORM=linuxfb:fb=/dev/fb0:nographicsmodeswitch CONNECT_SECONDS=4 \
            "$build/launcher/launcher" > /tmp/launcher.log 2>&1 &
    fi
    launcher=$!
}

say "termagent starts on the terminal (eth0 192.168.1.20); its log: /tmp/termagent.log"
LD_PRELOAD=$fbshim $agentdir/termagent > /tmp/termagent.out 2> /tmp/termagent.log &
agent=$!
start_launcher
sleep 1
say "the launcher counts down 3 s, checks the network and starts connect.sh with the saved profile:"
sleep 4
grep -E 'checknet|connect' /tmp/device.log || true

say "console 192.168.1.1: termctl discover"
console discover --time 1
say "console: termctl set-rdp 192.168.1.20 --server 10.0.0.99 --port 3390 --user bob --password 'p w'"
console set-rdp 192.168.1.20 --server 10.0.0.99 --port 3390 --user bob --password 'p w'
sleep 0.5
say "console: termctl discover --json"
console discover --time 1 --json
say "console: termctl screenshot 192.168.1.20 -o /tmp/screen.jpg (the launcher's screen, copied to $build/demo-screen.jpg)"
console screenshot 192.168.1.20 -o /tmp/screen.jpg && cp /run/sandbox/hosts/console/tmp/screen.jpg "$build/demo-screen.jpg" || true

if [[ $shell -eq 1 ]]; then
    say "a shell on the console host; try: termctl --help, termctl discover, termctl reboot 192.168.1.20"
    PATH=$build/console:$PATH "$sandbox" host console -- bash -i || true
else
    say "console: termctl reboot 192.168.1.20"
    console reboot 192.168.1.20
fi
wait $agent 2>/dev/null && status=0 || status=$?
kill $launcher 2>/dev/null || true
[[ -n $(jobs -p) ]] && kill $agent 2>/dev/null || true

say "device log of the terminal (/tmp/device.log)"
cat /tmp/device.log 2>/dev/null || echo "(empty)"
say "termagent ended with status $status; the last lines of its log:"
tail -n 8 /tmp/termagent.log
