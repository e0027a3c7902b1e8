# Sourced by the benchmark scripts once they run inside the sandbox.

# install_agent BUILD_DIR: termagent and its scripts in the agent's directory,
# the host name file it reads; sets $agentdir.
install_agent() {
    agentdir=/opt/zoderer/termagent
    mkdir -p $agentdir /opt/zoderer/configs/usrinfodir
    cp "$1/agent/termagent" "$(dirname "${BASH_SOURCE[0]}")"/../tests/sandbox/simulated/agent/*.sh $agentdir/
    printf 'bench\n1\n' > /etc/hostname_s
}

# start_logged PATTERN PROGRAM [ARG]...: starts PROGRAM in the background and
# waits until its standard error shows PATTERN, then a second more for it to
# settle; sets $pid. Variables given before the call reach PROGRAM.
start_logged() {
    local log i
    log=$(mktemp)
    "${@:2}" >/dev/null 2>"$log" &
    pid=$!
    for ((i = 0; i < 100; i++)); do
        grep -q "$1" "$log" && break
        sleep 0.05
    done
    grep -q "$1" "$log" || { echo "$2 did not start" >&2; cat "$log" >&2; exit 1; }
    sleep 1
}
