#!/bin/bash
# The test sandbox: runs one command in fresh unprivileged namespaces (user,
# mount, net, pid), so that programs under test keep their real absolute
# paths (/opt, /tmp, /etc/hostname_s), bind real ports, broadcast and "reboot"
# without touching this machine.
#
#   sandbox.sh [--if NAME=CIDR]... [--no-if] [--console CIDR] [--binfmt FILE] -- COMMAND [ARG]...
#       Outside: builds the sandbox and runs COMMAND in it. Without --if the
#       sandbox has eth0 = 192.168.1.20/24. The peer of the first interface
#       is eth0 of the network namespace "console" (192.168.1.1/24 by
#       default), where a management console can run. --binfmt registers
#       the binfmt_misc entry of FILE (one line, as in /usr/lib/binfmt.d/) in
#       the sandbox's own user namespace only: a cross build's tests, and
#       every program they start, run through that entry's emulator.
#
# Inside the sandbox only:
#   sandbox.sh lan N
#       Builds a small LAN on a bridge: the host "console" (192.168.1.1/24)
#       and the terminals t1..tN (192.168.1.11/24, .12, ..., N at most 244), each with its
#       own network namespace and its own /opt, /tmp and /etc.
#   sandbox.sh host NAME -- COMMAND [ARG]...
#       Runs COMMAND on host NAME. Its /opt, /tmp and /etc upper layer are
#       visible from the sandbox under /run/sandbox/hosts/NAME/.
#   sandbox.sh peer-if NAME=CIDR [up|down]
#       Adds a veth interface NAME (peer parked in the "console" namespace).
#
# In the sandbox: /opt, /tmp and /run are empty tmpfs, /etc is an overlay,
# the rest of the root file system is read-only (but for this project's
# tree and the starting directory), and recording stand-ins for reboot,
# poweroff, halt, shutdown, ifconfig, systemctl and logger come first on PATH (and
# cover the system's own copies). Each stand-in appends "NAME ARGS" to
# /tmp/sandbox-calls.log. XDG_DATA_HOME is /tmp/.local/share.
set -euo pipefail

readonly STATE=/run/sandbox
readonly MARKER=$STATE/inside
readonly STANDINS=(reboot poweroff halt shutdown ifconfig systemctl init telinit logger)
SELF=$(readlink -f "$0")
readonly SELF

die() { echo "sandbox: $*" >&2; exit 2; }

inside() {
    # The marker lives on the sandbox's own /run; the uid map proves we are
    # not in the machine's initial user namespace.
    [[ -e $MARKER && ${TERMINAL_SANDBOX:-} == 1 ]] && ! grep -qE '^ +0 +0 +4294967295$' /proc/self/uid_map
}

require_inside() { inside || die "'$1' works only inside the sandbox"; }

write_standins() {
    mkdir -p "$STATE/bin"
    local name
    for name in "${STANDINS[@]}"; do
        cat > "$STATE/bin/$name" <<EOF
#!/bin/sh
echo "$name \$*" >> /tmp/sandbox-calls.log
exit 0
EOF
        chmod 755 "$STATE/bin/$name"
    done
    # Cover the system's own copies too, for callers that use absolute paths.
    local dir
    for name in "${STANDINS[@]}"; do
        for dir in /sbin /usr/sbin /bin /usr/bin; do
            if [[ -e $dir/$name ]]; then
                mount --bind "$STATE/bin/$name" "$dir/$name" 2>/dev/null || true
            fi
        done
    done
}

# veth NAME inside the current namespace, its peer PEER in namespace PEERNS.
add_veth() {
    local name=$1 cidr=$2 peerns=$3 peer=$4 state=${5:-up}
    ip link add "$name" type veth peer name "$peer" netns "$peerns"
    [[ -n $cidr ]] && ip addr add "$cidr" brd + dev "$name"
    ip link set "$name" "$state"
}

# The kernel reports a veth as running a moment after both ends are up
# (its link watcher may wait up to a second); a test that looks at the
# interface at once must see it as the terminal would a settled link.
wait_running() {
    local name=$1 tries
    for ((tries = 0; tries < 300; tries++)); do
        [[ $(cat "/sys/class/net/$name/operstate" 2>/dev/null) == up ]] && return 0
        sleep 0.01
    done
    die "$name did not come up"
}

outer() {
    local interfaces=() console=192.168.1.1/24 noif=0 binfmtargs=()
    while [[ $# -gt 0 ]]; do
        case $1 in
            --if) interfaces+=("$2"); shift 2 ;;
            --no-if) noif=1; shift ;;
            --console) console=$2; shift 2 ;;
            --binfmt) binfmtargs=(--binfmt "$2"); shift 2 ;;
            --) shift; break ;;
            *) die "unknown option $1" ;;
        esac
    done
    [[ $# -gt 0 ]] || die "usage: sandbox.sh [--if NAME=CIDR]... [--no-if] -- COMMAND"
    if [[ ${#interfaces[@]} -eq 0 && $noif -eq 0 ]]; then
        interfaces=(eth0=192.168.1.20/24)
    fi
    local ifargs=()
    for i in "${interfaces[@]}"; do ifargs+=(--if "$i"); done
    exec unshare --user --map-root-user --mount --net --pid --fork --mount-proc --kill-child \
        "$SELF" --setup --console "$console" "${binfmtargs[@]}" "${ifargs[@]}" -- "$@"
}

setup() {
    local interfaces=() console="" binfmt=""
    while [[ $# -gt 0 ]]; do
        case $1 in
            --if) interfaces+=("$2"); shift 2 ;;
            --console) console=$2; shift 2 ;;
            --binfmt) binfmt=$2; shift 2 ;;
            --) shift; break ;;
        esac
    done
    mount --make-rprivate /
    # A binfmt_misc mounted in a user namespace holds that namespace's own
    # entries; the machine's stay as they are.
    if [[ -n $binfmt ]]; then
        mount -t binfmt_misc sandbox-binfmt /proc/sys/fs/binfmt_misc
        cat "$binfmt" > /proc/sys/fs/binfmt_misc/register
    fi
    mount -t tmpfs -o mode=755 sandbox-run /run
    mkdir -p "$STATE/etc-upper" "$STATE/etc-work" "$STATE/hosts" /run/netns
    mount -t tmpfs -o mode=1777 sandbox-tmp /tmp
    mkdir -p /opt && mount -t tmpfs -o mode=755 sandbox-opt /opt
    mount -t overlay sandbox-etc -o "lowerdir=/etc,upperdir=$STATE/etc-upper,workdir=$STATE/etc-work" /etc
    # /sys/class/net must show this namespace's interfaces, not the machine's.
    mount -t sysfs sandbox-sys /sys
    # The machine's root file system is read-only in here, so nothing under
    # test can leave a file at "/" or in /usr, /var, /root...; the project's
    # tree (builds, renders) and the starting directory stay writable.
    local project
    project=$(cd "$(dirname "$SELF")/../.." && pwd)
    mount --bind "$project" "$project"
    [[ $PWD != / ]] && mount --bind "$PWD" "$PWD"
    mount -o remount,bind,ro /
    write_standins
    # termctl keeps its inventory under the data home; the home folder is
    # read-only in here, and each host's /tmp is its own.
    export PATH="$STATE/bin:$PATH" TERMINAL_SANDBOX=1 XDG_DATA_HOME=/tmp/.local/share
    touch "$MARKER"

    ip link set lo up
    ip netns add console
    ip -n console link set lo up
    local first=1 spec
    for spec in "${interfaces[@]}"; do
        local name=${spec%%=*} cidr=${spec#*=}
        if [[ $first -eq 1 ]]; then
            add_veth "$name" "$cidr" console eth0
            ip -n console addr add "$console" brd + dev eth0
            ip -n console link set eth0 up
            ip -n console route add default dev eth0
            wait_running "$name"
            first=0
        else
            add_veth "$name" "$cidr" console "p-$name"
            ip -n console link set "p-$name" up
            wait_running "$name"
        fi
    done
    start_host_tree console
    wait_host_tree console
    exec "$@"
}

# A host's private file tree (and its own /sys, which "ip netns exec"
# mounts), kept in a mount namespace that a sleeping holder process keeps
# alive, so that every later command on the host sees the same files. With a
# CIDR the holder first brings up the host's lo and eth0 at that address.
# Returns at once: wait_host_tree waits for the holder.
start_host_tree() {
    local name=$1 cidr=${2:-} dir=$STATE/hosts/$1 net=""
    mkdir -p "$dir/opt" "$dir/tmp" "$dir/etc-upper" "$dir/etc-work"
    chmod 1777 "$dir/tmp"
    # One ip run for the three changes: at a LAN of hundreds of hosts, every
    # process started per host is seconds of set-up.
    [[ -n $cidr ]] &&
        net="printf 'link set lo up\naddr add $cidr brd + dev eth0\nlink set eth0 up\n' | ip -batch - &&"
    ip netns exec "$name" unshare --mount --propagation private sh -c "
        $net
        mount --bind '$dir/opt' /opt &&
        mount --bind '$dir/tmp' /tmp &&
        mount -t overlay host-etc -o 'lowerdir=/etc,upperdir=$dir/etc-upper,workdir=$dir/etc-work' /etc &&
        echo \$\$ > '$dir/pid.new' && mv '$dir/pid.new' '$dir/pid' &&
        exec sleep infinity" </dev/null >/dev/null 2>&1 &
}

# Waits until the holders of the named hosts are up, 5 s at most each.
wait_host_tree() {
    local name tries
    for name in "$@"; do
        tries=0
        until [[ -s $STATE/hosts/$name/pid ]]; do
            ((++tries < 500)) || die "host $name did not come up"
            sleep 0.01
        done
    done
}

# The terminals' addresses: 192.168.1.11 up to .254 in one /24.
readonly LAN_MAX=244

lan() {
    require_inside lan
    local count=${1:?usage: sandbox.sh lan N}
    [[ $count =~ ^[0-9]+$ ]] && ((count >= 1 && count <= LAN_MAX)) ||
        die "lan: 1 to $LAN_MAX terminals (192.168.1.11 up to .254)"
    # The single-terminal link to "console" is replaced by the bridge.
    ip -n console link del eth0 2>/dev/null || true
    # Every namespace, link and bridge port in one ip run.
    local k
    {
        echo "link add br0 type bridge"
        echo "link set br0 up"
        attach console c0
        for ((k = 1; k <= count; k++)); do
            echo "netns add t$k"
            attach "t$k" "v$k"
        done
    } | ip -batch -
    ip -n console addr add 192.168.1.1/24 brd + dev eth0
    ip -n console link set eth0 up
    ip -n console route add default dev eth0
    local hosts=()
    for ((k = 1; k <= count; k++)); do
        start_host_tree "t$k" "192.168.1.$((10 + k))/24"
        hosts+=("t$k")
    done
    wait_host_tree "${hosts[@]}"
}

# The ip commands that give namespace NS an eth0 plugged into the bridge as PORT.
attach() {
    local ns=$1 port=$2
    echo "link add $port type veth peer name eth0 netns $ns"
    echo "link set $port master br0"
    echo "link set $port up"
}

host() {
    require_inside host
    local name=${1:?usage: sandbox.sh host NAME -- COMMAND}
    shift
    [[ ${1:-} == -- ]] && shift
    [[ -e /run/netns/$name ]] || die "no host $name"
    local dir=$STATE/hosts/$name
    exec nsenter --wd="$PWD" --net="/run/netns/$name" --mount="/proc/$(cat "$dir/pid")/ns/mnt" -- "$@"
}

peer_if() {
    require_inside peer-if
    local spec=${1:?usage: sandbox.sh peer-if NAME=CIDR [up|down]} state=${2:-up}
    local name=${spec%%=*} cidr=${spec#*=}
    add_veth "$name" "$cidr" console "p-$name" "$state"
    ip -n console link set "p-$name" up
    [[ $state == up ]] && wait_running "$name"
    return 0
}

case ${1:-} in
    --setup) shift; setup "$@" ;;
    lan) shift; lan "$@" ;;
    host) shift; host "$@" ;;
    peer-if) shift; peer_if "$@" ;;
    *) inside && die "already inside the sandbox"; outer "$@" ;;
esac
