#!/bin/sh
# Simulated terminal: only logs that the display is reset to a safe mode.
echo "$(date '+%T') resetdisplay.sh: the display is reset to a safe mode" >> /tmp/device.log
