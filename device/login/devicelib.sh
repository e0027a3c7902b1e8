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
