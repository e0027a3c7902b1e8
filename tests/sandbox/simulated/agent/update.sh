#!/bin/sh
# Simulated terminal: installs the update package $1 (a gzip tar archive) by
# unpacking it into the simulated software directory. Exit status 0 only
# when the archive was whole and unpacked. A package that carries a new agent
# (termagent at its top) takes effect as on a terminal, which restarts into
# its new software: once the agent has replied, it is replaced and started
# again, and reports the version it was built with.
log() { echo "$(date '+%T') update.sh: $*" >> /tmp/device.log; }
[ $# -eq 1 ] || { echo "usage: update.sh PACKAGE" >&2; exit 2; }
package=$1
staging=/tmp/update.staging
target=/opt/zoderer/software
if ! tar -tzf "$package" > /dev/null 2>&1; then
    log "rejected $package: not a gzip tar archive"
    exit 1
fi
rm -rf "$staging" && mkdir -p "$staging" || exit 1
if ! tar -xzf "$package" -C "$staging"; then
    log "could not unpack $package"
    exit 1
fi
mkdir -p "$target" && cp -R "$staging"/. "$target"/ || { log "could not install into $target"; exit 1; }
log "installed $(find "$staging" -type f | wc -l) files from $package into $target"
[ -f "$staging/termagent" ] || exit 0
agentdir=$(dirname "$0")
agent=$PPID
if ! { cp "$staging/termagent" "$agentdir/termagent.new" && chmod 755 "$agentdir/termagent.new" &&
    mv "$agentdir/termagent.new" "$agentdir/termagent"; }; then
    log "could not install the new agent"
    exit 1
fi
log "the agent restarts from the new build"
(
    # The agent replies after this script has ended.
    sleep 1
    kill "$agent"
    tries=0
    while kill -0 "$agent" 2> /dev/null && [ "$tries" -lt 50 ]; do
        sleep 0.1
        tries=$((tries + 1))
    done
    cd "$agentdir" && exec ./termagent
) < /dev/null >> /tmp/termagent.log 2>&1 &
