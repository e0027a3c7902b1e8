#!/bin/bash
# File fetch and upload speed: the real termagent, started in the sandbox,
# against sendfile(2) and a 64 KiB recv + write + fsync loop, all on the
# sandbox's loopback with the files in its /tmp (bench_transfer).
#
#   bench/transfer.sh [BUILD_DIR] [RUNS]     (run from anywhere, outside the sandbox)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
runs=${2:-9}

if [[ ${TERMINAL_SANDBOX:-} != 1 ]]; then
    exec "$root/tests/sandbox/sandbox.sh" -- "$0" "$build" "$runs"
fi

source "$root/bench/sandboxagent.sh"
install_agent "$build"
start_logged "Terminclient version" $agentdir/termagent
agent=$pid
trap 'kill $agent 2>/dev/null || true' EXIT
"$build/bench/bench_transfer" "$runs" $agent
