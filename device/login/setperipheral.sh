#!/bin/sh
# Applies peripheral/peripheralconfig, one value a line:
#   1 volume 0-63   2 "mute" or "none"   3 "disk" (USB disks allowed) or "none"
#   4 language index (the launcher's own)   5 keyboard layout index
#   6 sound output "HDMI" or "VGA" (analogue); empty reads as VGA
# Sound with ALSA (the output as the default card in /etc/asound.conf, the
# volume and mute with amixer), the keyboard with setxkbmap under X or
# loadkeys on the console, USB disks by a modprobe rule for usb-storage.
# shellcheck source=devicelib.sh
. /opt/zoderer/login/devicelib.sh

file=$CONFIGS/peripheral/peripheralconfig
[ -r "$file" ] || { log "refused: $file cannot be read"; exit 1; }
failed=0

# Sound output: the first ALSA card named HDMI, or the first other one.
output=$(line 6 "$file")
case $output in *HDMI*) output=HDMI ;; *) output=VGA ;; esac
card=
if [ -r /proc/asound/cards ]; then
    card=$(awk -v want="$output" '
        /^ *[0-9]+ / {
            hdmi = toupper($0) ~ /HDMI/
            if ((want == "HDMI") == hdmi) { print $1; exit }
        }' /proc/asound/cards)
fi
if [ -n "$card" ]; then
    if printf 'defaults.pcm.card %s\ndefaults.ctl.card %s\n' "$card" "$card" |
        write_atomic /etc/asound.conf; then
        log "sound output $output: ALSA card $card"
    else
        log "sound output $output: /etc/asound.conf not written"
        failed=1
    fi
else
    log "sound output $output: no such ALSA card; default kept"
fi

# Volume and mute on the default card's Master control.
volume=$(line 1 "$file")
case $volume in '' | *[!0-9]*) volume=0 ;; esac
[ "$volume" -le 63 ] || volume=63
percent=$((volume * 100 / 63))
case $(line 2 "$file") in
    *mute*)
        if amixer -q sset Master mute; then
            log "sound muted"
        else
            log "amixer could not mute"
            failed=1
        fi
        ;;
    *)
        if amixer -q sset Master "$percent%" unmute; then
            log "volume $volume of 63 ($percent%)"
        else
            log "amixer could not set the volume to $percent%"
            failed=1
        fi
        ;;
esac

# Keyboard layout, by the index of the launcher's list.
keyboard=$(line 5 "$file")
case $keyboard in '' | *[!0-9]*) keyboard=0 ;; esac
set -- us:us gb:uk fr:fr de:de es:es it:it br:br-abnt2 ru:ru jp:jp106
[ "$keyboard" -lt $# ] || keyboard=0
shift "$keyboard"
layout=${1%%:*}
keymap=${1#*:}
if [ -n "${DISPLAY:-}" ] && command -v setxkbmap >/dev/null 2>&1; then
    if setxkbmap "$layout"; then
        log "keyboard layout $layout"
    else
        log "setxkbmap could not set $layout"
        failed=1
    fi
elif command -v loadkeys >/dev/null 2>&1; then
    if loadkeys -q "$keymap"; then
        log "console keymap $keymap"
    else
        log "loadkeys could not load $keymap"
        failed=1
    fi
else
    log "keyboard layout $layout: neither X nor loadkeys here; not applied"
fi

# USB mass storage: a refusal keeps the usb-storage driver from loading.
rule=/etc/modprobe.d/zoderer-usb-storage.conf
case $(line 3 "$file") in
    *disk*)
        if rm -f "$rule"; then
            log "USB disks allowed"
        else
            log "USB disks: $rule could not be removed"
            failed=1
        fi
        ;;
    *)
        mkdir -p "${rule%/*}"
        if printf '%s\n' "# Written by setperipheral.sh: USB disks are refused." \
            "blacklist usb-storage" "install usb-storage /bin/false" | write_atomic "$rule"; then
            log "USB disks refused"
            # A driver loaded already stays until it can be removed.
            if [ -d /sys/module/usb_storage ] && ! modprobe -r usb-storage 2>/dev/null; then
                log "usb-storage is in use; the refusal holds from the next start"
            fi
        else
            log "USB disks: $rule not written"
            failed=1
        fi
        ;;
esac

exit "$failed"
