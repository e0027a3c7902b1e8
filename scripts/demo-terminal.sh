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

printf 'demo-terminal\nT-0001\n' > /etc/hostname_s
mkdir -p $agentdir /opt/zoderer/login /opt/system/zoderer /opt/zoderer/configs/usrinfodir
cp "$build/agent/termagent" "$root"/device/scripts/agent/*.sh $agentdir/
cp "$root/device/scripts/login/reboot.sh" /opt/zoderer/login/
cp "$root/device/scripts/system/poweroff.sh" /opt/system/zoderer/
printf '10.0.0.50\nalice\nsecret\n3389\n\n1\n0\n0\n3\n' > /opt/zoderer/configs/usrinfodir/connectfile

say "termagent starts on the terminal (eth0 192.168.1.20); its log: /tmp/termagent.log"
$agentdir/termagent > /tmp/termagent.out 2> /tmp/termagent.log &
agent=$!
sleep 1

say "console 192.168.1.1: termctl discover"
console discover --time 1
say "console: termctl set-rdp 192.168.1.20 --server 10.0.0.99 --port 3390 --user bob --password 'p w'"
console set-rdp 192.168.1.20 --server 10.0.0.99 --port 3390 --user bob --password 'p w'
sleep 0.5
say "console: termctl discover --json"
console discover --time 1 --json

if [[ $shell -eq 1 ]]; then
    say "a shell on the console host; try: termctl --help, termctl discover, termctl reboot 192.168.1.20"
    PATH=$build/console:$PATH "$sandbox" host console -- bash -i || true
else
    say "console: termctl reboot 192.168.1.20"
    console reboot 192.168.1.20
fi
wait $agent 2>/dev/null && status=0 || status=$?
[[ -n $(jobs -p) ]] && kill $agent 2>/dev/null || true

say "device log of the terminal (/tmp/device.log)"
cat /tmp/device.log 2>/dev/null || echo "(empty)"
say "termagent ended with status $status; the last lines of its log:"
tail -n 8 /tmp/termagent.log
