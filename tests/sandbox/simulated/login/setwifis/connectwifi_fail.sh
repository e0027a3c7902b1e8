#!/bin/sh
# Simulated terminal: gives up the Wi-Fi association.
. "$(dirname "$0")/simulated-radio.sh"
disassociate
log "the Wi-Fi association is given up"
