#!/bin/bash
# Start-up time and idle memory of termagent against the smallest Qt UDP
# service (bench_minimal_udp: application, bound socket, event loop), both
# started the same way in the sandbox. Start-up = exec until the program says
# it is serving (the agent's version line, the minimal program's "ready").
#
#   bench/startup.sh [BUILD_DIR] [RUNS]     (run from anywhere, outside the sandbox)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
runs=${2:-20}

if [[ ${TERMINAL_SANDBOX:-} != 1 ]]; then
    exec "$root/tests/sandbox/sandbox.sh" -- "$0" "$build" "$runs"
fi

source "$root/bench/sandboxagent.sh"
install_agent "$build"

# measure NAME PATTERN PROGRAM: prints "median_ms rss_kib pss_kib".
measure() {
    local pattern=$1 program=$2 i start line times=() rss=0 pss=0
    for ((i = 0; i < runs; i++)); do
        start=$(date +%s%N)
        coproc RUN { exec "$program" 2>&1 >/dev/null; }
        local pid=$RUN_PID
        while IFS= read -r line <&"${RUN[0]}"; do
            [[ $line == *"$pattern"* ]] && break
        done
        times+=($(( ($(date +%s%N) - start) / 1000 )))
        if ((i == runs - 1)); then
            sleep 1
            rss=$(awk '/^VmRSS/ {print $2}' /proc/$pid/status)
            pss=$(awk '/^Pss:/ {print $2}' /proc/$pid/smaps_rollup)
        fi
        kill $pid
        wait $pid 2>/dev/null || true
    done
    local median
    median=$(printf '%s\n' "${times[@]}" | sort -n | sed -n "$(( (runs + 1) / 2 ))p")
    echo "$median $rss $pss"
}

read -r a_us a_rss a_pss <<<"$(measure "Terminclient version" $agentdir/termagent)"
read -r m_us m_rss m_pss <<<"$(measure ready "$build/bench/bench_minimal_udp")"
awk -v a="$a_us" -v m="$m_us" -v ar="$a_rss" -v mr="$m_rss" -v ap="$a_pss" -v mp="$m_pss" -v r="$runs" 'BEGIN {
    printf "start-up (median of %d)   termagent %6.1f ms   minimal Qt UDP %6.1f ms   ratio %.2f\n", r, a/1000, m/1000, a/m
    printf "idle RSS                 termagent %6d KiB  minimal Qt UDP %6d KiB  ratio %.2f\n", ar, mr, ar/mr
    printf "idle PSS                 termagent %6d KiB  minimal Qt UDP %6d KiB  ratio %.2f\n", ap, mp, ap/mp
}'
