#!/bin/sh
# Simulated terminal: applies display/resolution and display/colordepth to
# the simulated output (/tmp/terminal/display).
dir=/opt/zoderer/configs/display
mkdir -p /tmp/terminal
applied="mode '$(sed -n 1p $dir/resolution 2>/dev/null)' depth '$(sed -n 1p $dir/colordepth 2>/dev/null)'"
echo "$applied" > /tmp/terminal/display
echo "$(date '+%T') setdisplay.sh: $applied" >> /tmp/device.log
