#!/bin/sh
# Simulated terminal: the supplicant's status report: the association and,
# once setwifi.sh has applied the addressing, the address.
. "$(dirname "$0")/simulated-radio.sh"
write_status
