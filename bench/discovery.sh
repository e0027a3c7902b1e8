#!/bin/bash
# Discovery at LAN scale: N terminals, each a real termagent with the
# simulated device scripts in its own network namespace, and one console.
# Prints, per N, the time from one "TERMINALMSG_REQUEST" broadcast to the
# last of the N reports (min/median/max over ROUNDS), the agent CPU time per
# report including the settings script it starts, and the agents' peak RSS.
#
#   bench/discovery.sh [BUILD_DIR] [ROUNDS]      (run from anywhere, outside the sandbox)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
rounds=${2:-20}
sandbox=$root/tests/sandbox/sandbox.sh

if [[ ${TERMINAL_SANDBOX:-} != 1 ]]; then
    for n in 1 10 50; do
        "$sandbox" -- "$0" "$build" "$rounds" "$n"
    done
    exit 0
fi

n=$3
clk=$(getconf CLK_TCK)
"$sandbox" lan "$n" >/dev/null
pids=()
for ((k = 1; k <= n; k++)); do
    host=t$k
    top=/run/sandbox/hosts/$host
    dir=$top/opt/zoderer/termagent
    mkdir -p "$dir" "$top/opt/zoderer/configs/usrinfodir"
    cp "$build/agent/termagent" "$root"/tests/sandbox/simulated/agent/*.sh "$dir/"
    printf '10.0.0.50\nuser%d\nsecret\n3389\n' "$k" > "$top/opt/zoderer/configs/usrinfodir/connectfile"
    "$sandbox" host "$host" -- sh -c "printf 'term-$k\n$k\n' > /etc/hostname_s"
    "$sandbox" host "$host" -- /opt/zoderer/termagent/termagent >/dev/null 2>&1 &
    pids+=($!)
done
sleep 2

# utime + stime + cutime + cstime of every agent, in clock ticks.
cpu_ticks() {
    local pid total=0
    for pid in "${pids[@]}"; do
        total=$((total + $(awk '{print $14 + $15 + $16 + $17}' "/proc/$pid/stat")))
    done
    echo "$total"
}

before=$(cpu_ticks)
times=$("$sandbox" host console -- "$build/bench/bench_discover_timer" "$n" "$rounds" 300 10000)
after=$(cpu_ticks)
hwm=0
for pid in "${pids[@]}"; do
    kb=$(awk '/VmHWM/ {print $2}' "/proc/$pid/status")
    ((kb > hwm)) && hwm=$kb
done
kill "${pids[@]}" 2>/dev/null || true

read -r lo med hi <<<"$times"
awk -v n="$n" -v r="$rounds" -v lo="$lo" -v med="$med" -v hi="$hi" \
    -v ticks=$((after - before)) -v clk="$clk" -v hwm="$hwm" 'BEGIN {
    printf "N=%-3d last report after  min %7.2f ms  median %7.2f ms  max %7.2f ms  (%d rounds)\n", n, lo, med, hi, r
    printf "      agent CPU per report (incl. script) %.2f ms   peak RSS of an agent %d KiB\n",
        ticks * 1000 / clk / (n * r), hwm
}'
