#!/bin/sh
# The factory reset: the configuration tree becomes a copy of the factory
# tree /opt/zoderer/factory/configs, hidden files included; nothing of the
# old tree stays (server profiles, passwords, networks, settings). The copy
# is made in full beside the tree, then put in its place by renames, so
# that a failure leaves the old tree as it was.
# shellcheck source=devicelib.sh
. /opt/zoderer/login/devicelib.sh

factory=/opt/zoderer/factory/configs
target=${CONFIGS%/}
if [ ! -d "$factory" ]; then
    log "refused: no factory tree at $factory; nothing changed"
    exit 1
fi
parent=${target%/*}
mkdir -p "$parent" || exit 1
# What an interrupted reset left beside the tree.
rm -rf "$target".factory.* "$target".old.*

fresh=$(mktemp -d "$target.factory.XXXXXX") || { log "no room beside $target; nothing changed"; exit 1; }
if ! cp -a "$factory/." "$fresh/" || ! sync; then
    rm -rf "$fresh"
    log "the factory tree could not be copied; nothing changed"
    exit 1
fi
# mktemp made the directory private; it takes the factory tree's mode.
chmod --reference="$factory" "$fresh" 2>/dev/null || chmod 755 "$fresh"

old=
if [ -e "$target" ]; then
    old=$target.old.$$
    if ! mv "$target" "$old"; then
        rm -rf "$fresh"
        log "$target could not be moved aside; nothing changed"
        exit 1
    fi
fi
if ! mv "$fresh" "$target"; then
    [ -n "$old" ] && mv "$old" "$target"
    rm -rf "$fresh"
    log "the factory tree could not take the place of $target; nothing changed"
    exit 1
fi
sync
[ -n "$old" ] && rm -rf "$old"
log "the configuration is back to the factory tree"
