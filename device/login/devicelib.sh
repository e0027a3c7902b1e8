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
