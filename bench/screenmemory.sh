#!/bin/bash
# Memory of termagent serving screenshots: idle, and peak (VmHWM) while
# CLIENTS consoles at once ask for a screenshot, ROUNDS times, far enough
# apart that every round makes the agent capture a 1920x1080x32 frame through
# the framebuffer stand-in. Against the smallest Qt UDP service
# (bench_minimal_udp) idle beside it, started the same way, stand-in included.
#
#   bench/screenmemory.sh [BUILD_DIR] [ROUNDS] [CLIENTS]     (run from anywhere, outside the sandbox)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
rounds=${2:-6}
clients=${3:-8}

if [[ ${TERMINAL_SANDBOX:-} != 1 ]]; then
    exec "$root/tests/sandbox/sandbox.sh" -- "$0" "$build" "$rounds" "$clients"
fi

source "$root/bench/sandboxagent.sh"
install_agent "$build"
"$build/bench/bench_screen_clients" frame /tmp/fb0.raw 1920 1080
export FBSHIM_FB0=/tmp/fb0.raw FBSHIM_FB0_GEOMETRY=1920x1080x32
shim=$build/tests/sandbox/fbshim/libfbshim.so

# memory PID: "rss_kib pss_kib hwm_kib anonymous_kib mapped_kib"; mapped is
# file and shared memory, the stand-in's frame among it.
memory() {
    local status=/proc/$1/status
    echo "$(awk '/^VmRSS/ {print $2}' "$status")" \
         "$(awk '/^Pss:/ {print $2}' /proc/"$1"/smaps_rollup)" \
         "$(awk '/^VmHWM/ {print $2}' "$status")" \
         "$(awk '/^RssAnon/ {print $2}' "$status")" \
         "$(awk '/^RssFile|^RssShmem/ {n += $2} END {print n}' "$status")"
}

# Both idle at the same moment: PSS divides the pages of the shared
# libraries among all the processes that map them right then.
LD_PRELOAD=$shim start_logged "Terminclient version" $agentdir/termagent
agent=$pid
trap 'kill $agent 2>/dev/null || true' EXIT
LD_PRELOAD=$shim start_logged ready "$build/bench/bench_minimal_udp" 9801
read -r m_rss m_pss _ <<<"$(memory $pid)"
read -r i_rss i_pss _ i_anon i_mapped <<<"$(memory $agent)"
kill $pid

read -r images failures jpeg <<<"$("$build/bench/bench_screen_clients" "$clients" "$rounds")"
read -r b_rss b_pss b_hwm b_anon b_mapped <<<"$(memory $agent)"
kill $agent

printf 'termagent memory, %d screenshot clients at once, %d rounds 3.2 s apart, 1920x1080x32 frame\n' \
    "$clients" "$rounds"
printf '  answers with an image %d of %d (failed %d), JPEG %d bytes\n' \
    "$images" $((clients * rounds)) "$failures" "$jpeg"
awk -v ir="$i_rss" -v ip="$i_pss" -v ia="$i_anon" -v im="$i_mapped" -v mr="$m_rss" -v mp="$m_pss" \
    -v br="$b_rss" -v bp="$b_pss" -v bh="$b_hwm" -v ba="$b_anon" -v bm="$b_mapped" 'BEGIN {
    printf "  minimal Qt UDP, idle  RSS %6d KiB  PSS %6d KiB\n", mr, mp
    printf "  termagent, idle       RSS %6d KiB  PSS %6d KiB   ratio %.2f / %.2f   (anonymous %d KiB, file and shared %d KiB)\n", ir, ip, ir/mr, ip/mp, ia, im
    printf "  termagent, after      RSS %6d KiB  PSS %6d KiB                 (anonymous %d KiB, file and shared %d KiB)\n", br, bp, ba, bm
    printf "  termagent, peak       RSS %6d KiB (VmHWM)\n", bh
}'
