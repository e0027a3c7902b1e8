#!/bin/sh
# Simulated terminal: applies peripheral/peripheralconfig (volume 0-62, mute,
# USB disks, language, keyboard layout, sound output) to /tmp/terminal/.
file=/opt/zoderer/configs/peripheral/peripheralconfig
line() { sed -n "${1}p" "$file" 2>/dev/null; }
mkdir -p /tmp/terminal
volume=$(line 1)
case $(line 2) in *mute*) sound="muted" ;; *) sound="volume ${volume:-0} of 62" ;; esac
case $(line 3) in *disk*) usb="USB disks allowed" ;; *) usb="USB disks blocked" ;; esac
output=$(line 6)
echo "$sound, output ${output:-VGA}" > /tmp/terminal/sound
echo "$usb" > /tmp/terminal/usb
echo "language $(line 4), keyboard layout $(line 5)" > /tmp/terminal/input
echo "$(date '+%T') setperipheral.sh: $sound, output ${output:-VGA}, $usb, language $(line 4), keyboard layout $(line 5)" >> /tmp/device.log
