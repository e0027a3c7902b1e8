# Shared by the terminal's device scripts (sourced, never run): the system
# log, atomic writes and line access for the configuration tree's files.
# POSIX sh.

# shellcheck shell=sh
# shellcheck disable=SC2034 # read by the scripts that source this file
CONFIGS=${TERMINAL_CONFIGS:-/opt/zoderer/configs}

# One line to the system log under the script's name, so that an
# administrator can follow what the terminal did (journalctl -t NAME).
log() {
    logger -t "${0##*/}" -- "$*" 2>/dev/null || true
}

# Line N (1-based) of FILE, without its end of line; empty when missing.
line() {
    sed -n "${1}p" "$2" 2>/dev/null | tr -d '\r'
}

# Replaces FILE with standard input so that a power cut leaves the old or
# the new file, never a part: written beside, flushed, then renamed.
write_atomic() {
    _target=$1
    _tmp=$(mktemp "${_target}.XXXXXX") || return 1
    if cat > "$_tmp" && sync "$_tmp" 2>/dev/null; then
        if [ -e "$_target" ]; then
            chmod --reference="$_target" "$_tmp" 2>/dev/null || true
        else
            chmod 644 "$_tmp"
        fi
        mv -f "$_tmp" "$_target" && return 0
    fi
    rm -f "$_tmp"
    return 1
}

# True when FILE holds a line equal to TEXT (a carriage return ending a line
# is ignored). Done by the shell alone, so that TEXT, which may be a secret,
# reaches no other process's arguments or environment.
has_line() {
    [ -f "$1" ] || return 1
    _cr=$(printf '\r')
    while IFS= read -r _l || [ -n "$_l" ]; do
        [ "${_l%"$_cr"}" = "$2" ] && return 0
    done < "$1"
    return 1
}

# Prints FILE's lines (carriage returns dropped), each line equal to OLD
# replaced by NEW, or left out when NEW is not given; all of them when OLD
# is not given either. Shell alone, like has_line. A missing FILE prints
# nothing.
edit_lines() {
    [ -f "$1" ] || return 0
    _cr=$(printf '\r')
    while IFS= read -r _l || [ -n "$_l" ]; do
        _l=${_l%"$_cr"}
        if [ $# -lt 2 ] || [ "$_l" != "$2" ]; then
            printf '%s\n' "$_l"
        elif [ $# -ge 3 ]; then
            printf '%s\n' "$3"
        fi
    done < "$1"
}

# True when TEXT holds a line end (newline or carriage return), which would
# break a one-value-per-line file.
has_line_end() {
    _cr=$(printf '\r')
    case $1 in
        *"
"* | *"$_cr"*) return 0 ;;
    esac
    return 1
}

# The canonical dotted quad of an IPv4 address (leading zeros dropped);
# fails, printing nothing, for anything else.
ipv4() {
    printf '%s\n' "$1" | awk -F. '
        NF == 4 {
            for (i = 1; i <= 4; i++)
                if ($i !~ /^[0-9]+$/ || length($i) > 3 || $i + 0 > 255)
                    exit 1
            printf "%d.%d.%d.%d\n", $1, $2, $3, $4
            exit 0
        }
        { exit 1 }'
}

# The prefix length of a dotted netmask (255.255.255.0 -> 24); fails for
# anything that is not a mask with contiguous one bits.
ipv4_prefix() {
    _mask=$(ipv4 "$1") || return 1
    printf '%s\n' "$_mask" | awk -F. '{
        bits = 0; zero = 0
        for (i = 1; i <= 4; i++)
            for (b = 128; b >= 1; b /= 2)
                if ($i + 0 >= b) {
                    if (zero)
                        exit 1
                    bits++
                    $i -= b
                } else
                    zero = 1
        print bits
    }'
}

# Replaces the resolver file (/etc/resolv.conf) with the name servers read
# from standard input, one IPv4 address a line; blank or invalid lines are
# left out.
write_resolver() {
    while IFS= read -r _server || [ -n "$_server" ]; do
        _server=$(ipv4 "$(printf '%s' "$_server" | tr -d ' \t')") || continue
        printf 'nameserver %s\n' "$_server"
    done | write_atomic /etc/resolv.conf
}

# Sets the link of interface DEV up or down (ip link), with a log line.
set_link() {
    if ip link set dev "$1" "$2"; then
        log "$1 set $2"
        return 0
    fi
    log "$1 could not be set $2"
    return 1
}

# Holds an exclusive lock on FILE (created when missing) through descriptor 9
# until the script ends; a script that is killed lets it go with its end.
hold_lock() {
    exec 9>>"$1" && flock 9
}

# The manifest of the tree under DIR: one line an entry, sorted by path.
# "d MODE ./path" for a directory, "f MODE SHA256 ./path" for a file,
# "l HEX ./path" for a symbolic link (HEX: its target's bytes), and
# "x ./path" for anything else. Names must hold no line end or backslash.
tree_manifest() {
    (
        cd "$1" || exit 1
        find . -mindepth 1 | LC_ALL=C sort | while IFS= read -r _entry; do
            if [ -L "$_entry" ]; then
                printf 'l %s %s\n' \
                    "$(printf '%s' "$(readlink -- "$_entry")" | od -An -v -tx1 | tr -d ' \n')" "$_entry"
            elif [ -d "$_entry" ]; then
                printf 'd %s %s\n' "$(stat -c %a -- "$_entry")" "$_entry"
            elif [ -f "$_entry" ]; then
                printf 'f %s %s %s\n' "$(stat -c %a -- "$_entry")" \
                    "$(sha256sum < "$_entry" | cut -d' ' -f1)" "$_entry"
            else
                printf 'x %s\n' "$_entry"
            fi
        done
    )
}

# Powers the terminal off or restarts it (ACTION poweroff or reboot): through
# systemd, or with the plain command where systemd cannot do it (not
# running, or refused). Returns only when neither could.
power() {
    log "the terminal: $1"
    systemctl "$1" && exit 0
    log "systemctl $1 failed; falling back to $1"
    "$1" && exit 0
    log "$1 failed too: the terminal stays up"
    return 1
}
