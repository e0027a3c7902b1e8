# Shared by the terminal's device scripts (sourced, never run): the system
# log, atomic writes and line access for the configuration tree's files.
# POSIX sh.

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
