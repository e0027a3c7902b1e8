#!/bin/bash
# A flood of report requests against the real termagent in the sandbox, with
# the simulated device scripts: RATE requests a second for SECONDS while 20
# set requests and 20 file fetches are sent (bench_report_flood). Prints the
# set requests applied, the fetches served, the agent's CPU time (its own and
# its scripts'), the settings script runs and the bytes it logged.
#
#   bench/reportflood.sh [BUILD_DIR] [RATE] [SECONDS]   (run from anywhere, outside the sandbox)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
rate=${2:-1000}
seconds=${3:-10}

if [[ ${TERMINAL_SANDBOX:-} != 1 ]]; then
    exec "$root/tests/sandbox/sandbox.sh" -- "$0" "$build" "$rate" "$seconds"
fi

source "$root/bench/sandboxagent.sh"
install_agent "$build"
mkdir -p /opt/zoderer/configs/usrinfodir
printf '10.0.0.50\nuser\nsecret\n3389\n' > /opt/zoderer/configs/usrinfodir/connectfile
# Counts the settings script's runs on the way.
mv $agentdir/getRDPinfo.sh $agentdir/getRDPinfo.real.sh
printf '#!/bin/sh\necho >> /tmp/getrdpinfo.runs\nexec %s/getRDPinfo.real.sh\n' $agentdir > $agentdir/getRDPinfo.sh
chmod +x $agentdir/getRDPinfo.sh
: > /tmp/device.log
: > /tmp/getrdpinfo.runs
log=$(mktemp)
$agentdir/termagent >"$log" 2>&1 &
agent=$!
trap 'kill $agent 2>/dev/null || true' EXIT
for ((i = 0; i < 100; i++)); do
    grep -q "Terminclient version" "$log" && break
    sleep 0.05
done
sleep 1

clk=$(getconf CLK_TCK)
ticks() { awk '{print $14 + $15 + $16 + $17}' "/proc/$agent/stat"; }
before=$(ticks)
runs_before=$(wc -l < /tmp/getrdpinfo.runs)
bytes_before=$(stat -c %s "$log")
"$build/bench/bench_report_flood" "$rate" "$seconds" "$(stat -c %s /etc/hostname_s)"
# What was queued is given time to finish.
sleep 2
after=$(ticks)
applied=$(grep -c 'updateRDPinfo.sh: .*user=flood-' /tmp/device.log || true)
awk -v applied="$applied" -v ticks=$((after - before)) -v clk="$clk" -v s="$seconds" \
    -v runs=$(($(wc -l < /tmp/getrdpinfo.runs) - runs_before)) \
    -v bytes=$(($(stat -c %s "$log") - bytes_before)) 'BEGIN {
    printf "set requests applied %d/20; agent CPU %.1f s in %d s (incl. scripts); settings script runs %d; log %d KiB\n",
        applied, ticks / clk, s + 2, runs, bytes / 1024
}'
