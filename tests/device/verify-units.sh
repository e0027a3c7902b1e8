#!/bin/sh
# Checks the systemd units with systemd-analyze verify, in the sandbox: the
# programs they start installed where the packages put them (the sandbox's
# /opt), the units themselves under /tmp. Any finding fails, a warning too.
#   verify-units.sh BUILD
set -eu
build=$1
for component in device agent launcher; do
    cmake --install "$build" --prefix / --component "$component" > /dev/null
done
units=$(mktemp -d /tmp/units.XXXXXX)
for component in agent_units launcher_units; do
    DESTDIR=$units cmake --install "$build" --prefix / --component "$component" > /dev/null
done
set -- "$units"/lib/systemd/system/*.service
[ $# -eq 3 ] || { echo "expected 3 units, found: $*" >&2; exit 1; }
if ! report=$(systemd-analyze verify "$@" 2>&1) || [ -n "$report" ]; then
    printf '%s\n' "$report" >&2
    exit 1
fi
echo "verified: $*"
