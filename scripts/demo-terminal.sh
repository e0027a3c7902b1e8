#!/bin/bash
# The simulated terminal, run inside the sandbox by demo.sh: seeds the
# terminal's file tree, starts an RDP server on the console host, termagent
# and the launcher (which opens a real session to that server) on the
# terminal, and drives the agent from the console host.
set -euo pipefail
root=$1 build=$2
shell=0
[[ ${3:-} == --shell ]] && shell=1
sandbox=$root/tests/sandbox/sandbox.sh
agentdir=/opt/zoderer/termagent
console() { "$sandbox" host console -- "$build/console/termctl" "$@"; }
say() { printf '\n\033[1m== %s\033[0m\n' "$*"; }

"$root/scripts/seed-terminal.sh" "$root" "$build"
# The session is real: the device layer's connect.sh (and the library it
# sources) replaces the simulated one; the rest stays simulated, for what the
# sandbox cannot have (power, radio, sound).
cp "$root/device/login/connect.sh" "$root/device/login/devicelib.sh" /opt/zoderer/login/
# The agent as its package installs it, its scripts and companion simulated.
cmake --install "$build" --prefix / --component agent > /dev/null
cp "$root"/tests/sandbox/simulated/agent/*.sh "$root/tests/sandbox/simulated/agent/ReceiveBc" $agentdir/
# The launcher connects automatically at start, after a 3-second countdown,
# to the RDP server on the console host (any credentials pass there).
usrinfo=/opt/zoderer/configs/usrinfodir
rm -f $usrinfo/10.0.0.50.usr
printf '192.168.1.1\nalice\nsecret\n3389\n\n1\n1\n0\n3\n' > $usrinfo/192.168.1.1.usr
cp $usrinfo/192.168.1.1.usr $usrinfo/connectfile
echo 1 > $usrinfo/autologin

# Waits up to 10 s for the X socket of display N under the /tmp at DIR.
wait_display() {
    local tries
    for ((tries = 0; tries < 100; tries++)); do
        [[ -e $2/.X11-unix/X$1 ]] && return 0
        sleep 0.1
    done
    echo "demo: the X server on display :$1 did not start" >&2
    return 1
}

say "console 192.168.1.1: an RDP server (freerdp-shadow-cli /port:3389 -auth) sharing its X display :1"
consoletmp=/run/sandbox/hosts/console/tmp
"$sandbox" host console -- Xvfb :1 -noreset -wr -screen 0 1024x768x24 > /tmp/console-xvfb.log 2>&1 &
serverscreen=$!
wait_display 1 $consoletmp
# Something on the server's desktop to recognise in the session.
desktop=
if command -v xmessage > /dev/null; then
    "$sandbox" host console -- env DISPLAY=:1 xmessage -geometry 640x240+192+264 -bg '#1d3b5c' -fg white \
        -buttons '' "The remote desktop of the console host 192.168.1.1, shared by freerdp-shadow-cli
(started $(date +%T)).

The terminal 192.168.1.20 shows it full screen: its launcher started connect.sh,
which runs xfreerdp." > /dev/null 2>&1 &
    desktop=$!
fi
"$sandbox" host console -- env HOME=/tmp/srvhome DISPLAY=:1 freerdp-shadow-cli /port:3389 -auth > /tmp/rdpserver.log 2>&1 &
server=$!
listening() { [[ -n $("$sandbox" host console -- ss -Htln 'sport = :3389') ]]; }
sessions() { "$sandbox" host console -- ss -Htn state established 'sport = :3389' | wc -l; }
for ((tries = 0; tries < 100; tries++)); do
    listening && break
    sleep 0.2
done
listening || { echo "demo: the RDP server did not start; its log: /tmp/rdpserver.log" >&2; tail -n 5 /tmp/rdpserver.log >&2; }

# The terminal's screen: an X server whose screen memory is a file (XWD: a
# header, then the pixels). The launcher and the session's client draw on
# it; the agent captures it as /dev/fb0 through the fbshim preload, which
# skips the header.
fbshim=$build/tests/sandbox/fbshim/libfbshim.so
outer=
if [[ -n ${DISPLAY:-} ]]; then
    outer=${DISPLAY#*:}
    outer=${outer%%.*}
    if [[ -e /proc/self/fd/9/X$outer ]]; then
        mkdir -p /tmp/.X11-unix
        ln -sf "/proc/self/fd/9/X$outer" "/tmp/.X11-unix/X$outer"
    else
        outer=
    fi
fi
screen=2
[[ $screen == "$outer" ]] && screen=3
mkdir -p /tmp/screen
Xvfb ":$screen" -noreset -fbdir /tmp/screen -screen 0 1024x768x24 > /tmp/terminal-xvfb.log 2>&1 &
terminalscreen=$!
wait_display $screen /tmp
# XWD header fields are 32-bit big-endian: header size (0), bytes per line
# (12), colour map entries (19, 12 bytes each) before the pixels.
read -r -a xwd < <(od -An -v -tu4 --endian=big -N 80 /tmp/screen/Xvfb_screen0 | tr -s ' \n' ' '; echo)
export FBSHIM_FB0=/tmp/screen/Xvfb_screen0 FBSHIM_FB0_GEOMETRY=1024x768x32:${xwd[12]}
export FBSHIM_FB0_OFFSET=$((xwd[0] + 12 * xwd[19]))

start_launcher() {
    # The launcher's scripts (connect.sh, and its client) use the terminal's
    # screen; the client's certificate store is under HOME.
    mkdir -p /tmp/home
    if [[ -n $outer ]]; then
        say "launcher starts in a window on display $DISPLAY, its session on the terminal's screen :$screen; its log: /tmp/launcher.log"
        DISPLAY=:$screen HOME=/tmp/home QT_QPA_PLATFORM=xcb "$build/launcher/launcher" -display ":$outer" \
            > /tmp/launcher.log 2>&1 &
    else
        say "launcher starts on the terminal's screen (X display :$screen, 1024x768); its log: /tmp/launcher.log"
        DISPLAY=:$screen HOME=/tmp/home QT_QPA_PLATFORM=xcb "$build/launcher/launcher" > /tmp/launcher.log 2>&1 &
    fi
    launcher=$!
}

say "termagent starts on the terminal (eth0 192.168.1.20); its log: /tmp/termagent.log"
LD_PRELOAD=$fbshim $agentdir/termagent > /tmp/termagent.out 2> /tmp/termagent.log &
agent=$!
start_launcher
sleep 1
say "the launcher counts down 3 s, checks the network and starts connect.sh with the saved profile (192.168.1.1:3389):"
for ((tries = 0; tries < 60; tries++)); do
    [[ $(sessions) -gt 0 ]] && break
    sleep 0.25
done
grep -E 'checknet' /tmp/device.log || true
grep -E 'logger -t connect.sh' /tmp/sandbox-calls.log | sed 's/^logger -t connect.sh -- /connect.sh: /' || true
echo "RDP sessions the server sees: $(sessions)"

say "console 192.168.1.1: termctl discover"
console discover --time 1
say "console: termctl set-rdp 192.168.1.20 --server 10.0.0.99 --port 3390 --user bob --password 'p w'"
console set-rdp 192.168.1.20 --server 10.0.0.99 --port 3390 --user bob --password 'p w'
sleep 0.5
say "console: termctl discover --json"
console discover --time 1 --json
say "console: termctl screenshot 192.168.1.20 -o /tmp/screen.jpg (the terminal's screen, copied to $build/demo-screen.jpg)"
console screenshot 192.168.1.20 -o /tmp/screen.jpg && cp /run/sandbox/hosts/console/tmp/screen.jpg "$build/demo-screen.jpg" || true

if [[ $shell -eq 1 ]]; then
    say "a shell on the console host; try: termctl --help, termctl discover, termctl reboot 192.168.1.20"
    PATH=$build/console:$PATH "$sandbox" host console -- bash -i || true
else
    say "console: termctl reboot 192.168.1.20"
    console reboot 192.168.1.20
fi
wait $agent 2>/dev/null && status=0 || status=$?
# connect.sh ends its client when stopped; then the launcher, the screens
# and the server.
for session in $(ps -o pid= --ppid $launcher); do
    kill "$session" 2>/dev/null || true
done
sleep 0.5
kill $launcher 2>/dev/null || true
kill $server ${desktop:-} $serverscreen $terminalscreen 2>/dev/null || true
[[ -n $(jobs -p) ]] && kill $agent 2>/dev/null || true

say "device log of the terminal (/tmp/device.log; the session's lines from the system log)"
cat /tmp/device.log 2>/dev/null || echo "(empty)"
grep -E 'logger -t connect.sh' /tmp/sandbox-calls.log | sed 's/^logger -t connect.sh -- /connect.sh: /' || true
say "termagent ended with status $status; the last lines of its log:"
tail -n 8 /tmp/termagent.log
