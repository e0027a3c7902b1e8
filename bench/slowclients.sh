#!/bin/bash
# Slow and many TCP clients against a real termagent in the sandbox.
# Trickle: two uploads that send a byte every 4 s hold the connection
# workers; prints how long a file fetch and a reboot request made meanwhile
# wait. Descriptors: the agent run with 64 descriptors, 200 connections that
# sent their request and wait behind held updates; prints the agent's CPU
# seconds over 15 s, and whether a fetch is served once they are closed.
#
#   bench/slowclients.sh [BUILD_DIR]      (run from anywhere, outside the sandbox)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
if [[ ${TERMINAL_SANDBOX:-} != 1 ]]; then
    exec "$root/tests/sandbox/sandbox.sh" -- "$0" "$build"
fi
# shellcheck source=bench/sandboxagent.sh
source "$root/bench/sandboxagent.sh"
install_agent "$build"
clk=$(getconf CLK_TCK)
cpu_seconds() { awk -v clk="$clk" '{printf "%.1f", ($14 + $15) / clk}' "/proc/$1/stat"; }

client() {
    python3 - "$@" <<'PY'
import json, socket, sys, time
def request(key, content=""):
    text = "##" + json.dumps({"content": content, "key": key}, separators=(",", ":"))
    return text.encode().ljust(256)
def connect():
    s = socket.create_connection(("192.168.1.20", 9600))
    return s
def fetch():
    s = connect()
    s.sendall(request("FILE_REQUEST", json.dumps({"fileName": "/etc/hostname_s"})))
    data = b""
    while chunk := s.recv(4096):
        data += chunk
    return len(data) > 4
mode = sys.argv[1]
if mode == "trickle":
    slow = []
    for _ in range(2):
        s = connect()
        s.sendall(request("UPLOAD_REQUEST", "p;0;1000000"))
        slow.append(s)
    time.sleep(0.5)
    start = time.monotonic()
    s = connect()
    s.sendall(request("FILE_REQUEST", json.dumps({"fileName": "/etc/hostname_s"})))
    s.setblocking(False)
    fetched = None
    while time.monotonic() - start < 60 and fetched is None:
        for t in slow:
            try:
                t.send(b"x")
            except OSError:
                pass
        end = time.monotonic() + 4
        while time.monotonic() < end and fetched is None:
            try:
                if s.recv(4096):
                    fetched = time.monotonic() - start
            except BlockingIOError:
                time.sleep(0.01)
    print("%.1f" % fetched if fetched is not None else "over 60")
elif mode == "hold":
    held = []
    for _ in range(200):
        try:
            s = connect()
            s.sendall(request("UPDATE_REQUEST"))
            held.append(s)
        except OSError:
            break
    print(len(held), flush=True)
    time.sleep(float(sys.argv[2]))
    for s in held:
        s.close()
elif mode == "fetch":
    print("served" if fetch() else "not served")
PY
}

# Trickle.
start_logged "Terminclient version" $agentdir/termagent
fetch=$(client trickle)
start=$(date +%s.%N)
python3 -c 'import json,socket; s=socket.socket(socket.AF_INET,socket.SOCK_DGRAM); s.sendto(("##"+json.dumps({"content":"[-1062731500]","key":"TERMINALREBOOT_REQUEST"})).encode(),("192.168.1.20",9800))'
while kill -0 "$pid" 2>/dev/null && (($(date +%s) - ${start%.*} < 60)); do sleep 0.05; done
reboot=$(awk -v a="$start" -v b="$(date +%s.%N)" 'BEGIN {printf "%.1f", b - a}')
kill "$pid" 2>/dev/null || true
wait "$pid" 2>/dev/null || true
echo "trickle: two uploads sending 1 byte / 4 s; a fetch waited ${fetch} s, a reboot request ${reboot} s"

# Descriptors: the updates sleep until /tmp/release appears.
printf '#!/bin/sh\nwhile [ ! -e /tmp/release ]; do sleep 0.1; done\n' > $agentdir/update.sh
echo package > /tmp/uploadfile.tar.gz
start_logged "Terminclient version" prlimit --nofile=64:64 $agentdir/termagent
client hold 17 > /tmp/held &
holder=$!
sleep 2
before=$(cpu_seconds "$pid")
sleep 15
after=$(cpu_seconds "$pid")
wait "$holder"
touch /tmp/release
sleep 1
served=$(timeout 20 bash -c "$(declare -f client); client fetch" || echo "not served")
kill "$pid" 2>/dev/null || true
echo "descriptors: 64 allowed, $(cat /tmp/held) connections held; agent CPU $(awk -v a="$before" -v b="$after" 'BEGIN {printf "%.1f", b - a}') s in 15 s; afterwards a fetch: $served"
