#!/bin/bash
# The fleet console at scale: N terminals (default 200), each a real termagent
# with the simulated device scripts on its own host of the sandbox LAN, seeded
# as scripts/seed-terminal.sh seeds the demo's terminal, and termctl on the
# console host. Prints the LAN's and the agents' start-up, then:
#   1. discover --time 3 --json, ROUNDS rounds: terminals listed, and, timed
#      by a listener beside the console, those heard within the 3 s and the
#      delay of the last of all reports (20 s at most); reports the console's
#      socket lost, the console's CPU time and peak memory;
#   2. probe of 192.168.1.0/24 with 10 agents stopped: wall time, console CPU,
#      terminals per state;
#   3. rollout of a new agent version to every terminal, 20 at a time: wall
#      time against the console's CPU time and the agents' CPU time;
#   4. serve with the thumbnails asked for as the page does, of a page's worth
#      of cards in view and of every card: answers per round, how often each
#      card gets a new picture, how old the served pictures are, the
#      console's memory.
#   1b. the same round with the console held up (stopped) from its request
#      until every report has come: reports its socket held and lost;
# Steps 2 to 4 run when termctl --help lists the command. TERMCTL=PATH measures
# another build of termctl (an older one, for figures before a change).
#
#   bench/fleet.sh [BUILD_DIR] [TERMINALS] [ROUNDS]     (run from anywhere, outside the sandbox)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
count=${2:-200}
rounds=${3:-5}
sandbox=$root/tests/sandbox/sandbox.sh

if [[ ${TERMINAL_SANDBOX:-} != 1 ]]; then
    TERMCTL=${TERMCTL:+$(readlink -f "$TERMCTL")} exec "$sandbox" -- "$0" "$build" "$count" "$rounds"
fi
# shellcheck source-path=SCRIPTDIR source=sandboxagent.sh
. "$root/bench/sandboxagent.sh"

termctl=${TERMCTL:-$build/console/termctl}
work=/run/fleet # on the sandbox's /run, which every host sees
hosts=/run/sandbox/hosts
mkdir -p $work
clk=$(getconf CLK_TCK)

now() { echo "$EPOCHREALTIME"; }
since() { awk -v a="$1" -v b="$(now)" 'BEGIN { printf "%.1f", b - a }'; }
median() { sort -g | awk '{ v[NR] = $1 } END { print NR ? v[int((NR + 1) / 2)] : "-" }'; }
on_console() { "$sandbox" host console -- "$@"; }
# Every UDP datagram the console host's sockets lost to a full buffer.
# shellcheck disable=SC2016 # awk's own fields
console_udp_drops() { on_console awk '/^Udp:/ && $2 ~ /^[0-9]/ { print $6 }' /proc/net/snmp; }
# The console's CPU seconds and peak KiB of one command: "WALL USER SYS MAXRSS".
timed_console() { on_console /usr/bin/time -f '%e %U %S %M' -o $work/time "$@"; }
# The figures of the last timed_console (time adds a line before them on a failure).
read_time() { read -r wall user sys rss < <(tail -1 $work/time); }
has_command() { "$termctl" --help | grep -q "^  $1 "; }

started=$(now)
"$sandbox" lan "$count" >/dev/null
echo "LAN of $count terminals built in $(since "$started") s"

# The demo terminal's tree on t1, the template of every other terminal; the
# agent's 10 MB binary is one file, linked into each tree (/run is one file
# system), so its pages are shared as on a fleet of separate machines.
"$sandbox" host t1 -- bash -c ". '$root/bench/sandboxagent.sh' && install_agent '$build' &&
    '$root/scripts/seed-terminal.sh' '$root' '$build'" >/dev/null
mv $hosts/t1/opt/zoderer/termagent/termagent $work/termagent
cp -a $hosts/t1/opt $work/template-opt
cp -a $hosts/t1/tmp $work/template-tmp
# One desktop frame that every agent's framebuffer stand-in maps.
frame=$work/frame
truncate -s $((1024 * 768 * 4)) $frame
agents=()
# start_agent K: terminal K's tree (cloned from t1's the first time), its own
# name, number and remote-desktop user, and its agent; sets agents[K].
start_agent() {
    local k=$1 top=$hosts/t$1
    if [[ ! -e $top/opt/zoderer/termagent/termagent ]]; then
        if [[ $k != 1 ]]; then
            cp -a $work/template-opt/. "$top/opt/"
            cp -a $work/template-tmp/. "$top/tmp/"
        fi
        ln $work/termagent "$top/opt/zoderer/termagent/termagent"
        printf '10.0.0.50\nuser%d\nsecret\n3389\n' "$k" > "$top/opt/zoderer/configs/usrinfodir/connectfile"
    fi
    rm -f "$top/tmp/agent.log"
    "$sandbox" host "t$k" -- env LD_PRELOAD="$build/tests/sandbox/fbshim/libfbshim.so" \
        FBSHIM_FB0=$frame FBSHIM_FB0_GEOMETRY=1024x768x32 \
        sh -c "printf 'term-$k\n$k\n' > /etc/hostname_s && exec /opt/zoderer/termagent/termagent 2>/tmp/agent.log" \
        </dev/null >/dev/null &
    agents[k]=$!
}
# wait_agents K...: until each agent has logged its start, 120 s at most.
wait_agents() {
    local k tries=0
    for k in "$@"; do
        until grep -qs "Terminclient version" $hosts/t"$k"/tmp/agent.log; do
            ((++tries < 1200)) || { echo "agent t$k did not start" >&2; exit 1; }
            sleep 0.1
        done
    done
}

# The first process below PID (children first, then deeper) that runs NAME.
descendant_named() {
    local pid
    for pid in $(ps -o pid= --ppid "$1"); do
        if [[ $(cat "/proc/$pid/comm" 2>/dev/null) == "$2" ]]; then
            echo "$pid"
            return 0
        fi
        descendant_named "$pid" "$2" && return 0
    done
    return 1
}

# thumbnail_rounds DIR ROUNDS [CARDS], on the console host: opens a session as
# the page does, then asks for the thumbnails of the first CARDS cards (all by
# default; the page asks only for those in view) 6 at a time, as a browser
# does, each 3 s; prints the answers per round, per card the interval between
# new pictures, and how old the served pictures were (their Date less their
# Last-Modified, to the second).
thumbnail_rounds() {
    local dir=$1 rounds=$2 cards=${3:-} url=http://127.0.0.1:8080 r
    curl -s -c "$dir/cookies" $url/ >/dev/null
    curl -s -b "$dir/cookies" $url/api/terminals | grep -o '"ip":"[^"]*"' | cut -d'"' -f4 |
        head -n "${cards:--0}" >"$dir/ips"
    rm -rf "$dir/thumbs"
    mkdir -p "$dir/thumbs"
    : >"$dir/changes"
    : >"$dir/ages"
    for ((r = 1; r <= rounds; r++)); do
        local begun=$EPOCHREALTIME
        xargs -P 6 -I{} curl -s -b "$dir/cookies" -o "$dir/thumbs/{}.new" \
            -w '%{http_code} {} %header{date}|%header{last-modified}\n' \
            "$url/api/terminals/{}/screen" <"$dir/ips" >"$dir/answers"
        local ip
        while read -r code ip _; do
            [[ $code == 200 ]] || continue
            cmp -s "$dir/thumbs/$ip.new" "$dir/thumbs/$ip" && continue
            mv "$dir/thumbs/$ip.new" "$dir/thumbs/$ip"
            echo "$ip $EPOCHREALTIME" >>"$dir/changes"
        done <"$dir/answers"
        grep '^200 ' "$dir/answers" | cut -d' ' -f3- >"$dir/dates" || true
        if [[ -s $dir/dates ]]; then
            paste <(cut -d'|' -f1 "$dir/dates" | date -f - +%s) <(cut -d'|' -f2 "$dir/dates" | date -f - +%s) |
                awk '{ print $1 - $2 }' >>"$dir/ages"
        fi
        awk -v r="$r" -v t="$(awk -v a="$begun" -v b="$EPOCHREALTIME" 'BEGIN { print b - a }')" \
            '{ n[$1]++ } END { printf "round %d: %.1f s, %d pictures, %d not yet (202), %d other\n", r, t, n[200], n[202], NR - n[200] - n[202] }' \
            "$dir/answers"
        sleep 3
    done
    sort -k1,1 -k2,2g "$dir/changes" | awk '$1 == ip { print $2 - t } { ip = $1; t = $2 }' | sort -g |
        awk '{ v[NR] = $1 } END { if (NR) printf "new picture of a card every: median %.1f s, max %.1f s\n", v[int((NR + 1) / 2)], v[NR] }'
    sort -g "$dir/ages" |
        awk '{ v[NR] = $1 } END { if (NR) printf "age of a served picture: median %d s, 95th percentile %d s, max %d s (%d pictures)\n", v[int((NR + 1) / 2)], v[int(NR * 0.95 + 0.5)], v[NR], NR }'
}

started=$(now)
all=()
for ((k = 1; k <= count; k++)); do
    start_agent "$k"
    all+=("$k")
done
wait_agents "${all[@]}"
echo "$count agents started in $(since "$started") s"
sleep 3 # their start-up reports, answered by one another's agents, settle

echo
echo "1. termctl discover --time 3 --json, $rounds rounds"
for ((r = 1; r <= rounds; r++)); do
    on_console "$build/bench/bench_report_listener" "$count" 3 20 >$work/listener 2>$work/listener.err &
    listener=$!
    until grep -qs ready $work/listener.err; do sleep 0.05; done
    drops=$(console_udp_drops)
    timed_console "$termctl" discover --time 3 --json >$work/discover
    wait $listener
    lost=$(($(console_udp_drops) - drops))
    read -r within heard last_ms listener_drops <$work/listener
    read_time
    listed=$(grep -c '"ip"' $work/discover || true)
    echo "$listed $within $heard $last_ms $((lost - listener_drops)) $user $sys $rss" >>$work/rounds
    printf '   round %d: listed %d; heard within 3 s %d, in all %d, the last after %s ms; lost by the console socket %d, by the listener %d; console CPU %.2f s, peak RSS %d KiB\n' \
        "$r" "$listed" "$within" "$heard" "$last_ms" $((lost - listener_drops)) "$listener_drops" \
        "$(awk -v u="$user" -v s="$sys" 'BEGIN { print u + s }')" "$rss"
    sleep 1
done
for column in 1 2 4 5; do awk -v c=$column '{ print $c }' $work/rounds | median >$work/m$column; done
awk '{ print $6 + $7 }' $work/rounds | median >$work/m6
awk '{ print $8 }' $work/rounds | median >$work/m8
printf '   median: listed %s of %d (heard within 3 s %s), the last report after %s ms, lost by the console socket %s, console CPU %s s, peak RSS %s KiB\n' \
    "$(cat $work/m1)" "$count" "$(cat $work/m2)" "$(cat $work/m4)" "$(cat $work/m5)" "$(cat $work/m6)" "$(cat $work/m8)"
echo "1b. the same, the console stopped from its request until every report has come"
on_console "$build/bench/bench_report_listener" "$count" 3 20 >$work/listener 2>$work/listener.err &
listener=$!
until grep -qs ready $work/listener.err; do sleep 0.05; done
drops=$(console_udp_drops)
"$sandbox" host console -- "$termctl" discover --time 3 --json >$work/discover &
console=$! # termctl itself: the sandbox and nsenter exec it
until grep -qs request $work/listener.err; do sleep 0.01; done
kill -STOP $console
wait $listener
kill -CONT $console
wait $console
read -r within heard last_ms listener_drops <$work/listener
printf '   listed %d of %d heard; lost by the console socket %d\n' "$(grep -c '"ip"' $work/discover || true)" \
    "$heard" $(($(console_udp_drops) - drops - listener_drops))

echo
echo "2. termctl probe 192.168.1.0/24 --json, 10 agents stopped"
if has_command probe; then
    stopped=()
    for ((k = count; k > count - 10 && k > 0; k--)); do
        kill "${agents[k]}"
        stopped+=("$k")
    done
    for k in "${stopped[@]}"; do wait "${agents[k]}" 2>/dev/null || true; done
    timed_console "$termctl" probe 192.168.1.0/24 --json >$work/probe || true
    read_time
    printf '   wall %s s, console CPU %.2f s, peak RSS %d KiB; per state:' "$wall" \
        "$(awk -v u="$user" -v s="$sys" 'BEGIN { print u + s }')" "$rss"
    grep -o '"state" *: *"[a-z]*"' $work/probe | cut -d'"' -f4 | sort | uniq -c | awk '{ printf " %s %d", $2, $1 }'
    echo
    for k in "${stopped[@]}"; do start_agent "$k"; done
    wait_agents "${stopped[@]}"
else
    echo "   skipped: termctl has no probe"
fi

echo
echo "3. termctl rollout PKG --targets (the terminals) --batch 20 --expect-version 1.13"
if has_command rollout; then
    # A package that brings a new agent, as the simulated update takes it: the
    # built one (without its debugging sections) with its version text, UTF-16,
    # changed to 1.13. Each terminal installs it, restarts its agent and then
    # reports the new version.
    mkdir -p $work/software
    strip --strip-debug -o $work/software/termagent "$build/agent/termagent"
    LC_ALL=C perl -0777 -pi -e 's/1\x00\.\x001\x002\x00/1\x00.\x001\x003\x00/' $work/software/termagent
    tar -czf $work/update.tar.gz -C $work/software termagent
    echo "   package: $(stat -c %s $work/update.tar.gz) bytes"
    # The terminals' addresses: the rest of the /24 has no terminal, and the
    # first address without one would end the rollout.
    targets=$(seq -s, -f '192.168.1.%g' 11 $((10 + count)))
    timed_console "$termctl" rollout $work/update.tar.gz --targets "$targets" --batch 20 \
        --expect-version 1.13 >$work/rollout 2>&1 || true
    read_time
    # (The agents' CPU time is not summed here: each one is a new process
    # after its update.)
    awk -v w="$wall" -v u="$user" -v s="$sys" -v m="$rss" 'BEGIN {
        printf "   wall %s s, console CPU %.2f s (%.0f %% of the wall time), peak RSS %d KiB\n",
            w, u + s, 100 * (u + s) / w, m }'
    printf '   terminals per result:'
    grep -oE '^192\.168\.1\.[0-9]+ .*(updated|current|failed|not started)' $work/rollout |
        grep -oE '(updated|current|failed|not started)$' | sort | uniq -c | awk '{ $1 = $1; printf " %s", $0 }'
    echo
else
    echo "   skipped: termctl has no rollout"
fi

echo
echo "4. termctl serve, thumbnails asked for as the page does"
if has_command serve; then
    on_console "$termctl" serve --listen 127.0.0.1:8080 2>$work/serve.err &
    serve=$!
    until grep -qs "dashboard is at" $work/serve.err; do sleep 0.1; done
    server=$(descendant_named $serve termctl)
    # The desktop changes every half second, so that every capture is a new picture.
    (while :; do date +%s%N | dd of=$frame bs=1 conv=notrunc status=none; sleep 0.5; done) &
    ticker=$!
    echo "   24 cards in view (a full-HD page of cards):"
    on_console bash -c "$(declare -f thumbnail_rounds); thumbnail_rounds $work 10 24" | sed 's/^/     /'
    echo "   all $count cards in view:"
    on_console bash -c "$(declare -f thumbnail_rounds); thumbnail_rounds $work 10" | sed 's/^/     /'
    kill $ticker
    printf '   serve: RSS %d KiB, peak %d KiB, CPU %.1f s\n' \
        "$(awk '/VmRSS/ { print $2 }' "/proc/$server/status")" "$(awk '/VmHWM/ { print $2 }' "/proc/$server/status")" \
        "$(awk -v clk="$clk" '{ print ($14 + $15) / clk }' "/proc/$server/stat")"
    kill $serve
else
    echo "   skipped: termctl has no serve"
fi
kill "${agents[@]}" 2>/dev/null || true
