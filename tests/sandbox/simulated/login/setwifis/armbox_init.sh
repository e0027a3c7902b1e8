#!/bin/sh
# Simulated terminal: only logs that the board is initialised.
echo "$(date '+%T') armbox_init.sh: the board is initialised" >> /tmp/device.log
