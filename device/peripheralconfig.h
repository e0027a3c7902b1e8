#pragma once

#include <QString>
#include <QStringList>

// "peripheral/peripheralconfig": volume, mute, USB disks, language index,
// keyboard index and sound card, one per line.
class PeripheralConfig
{
public:
    int volume = 0;       // 0-63
    bool mute = false;    // "mute" / "none"
    bool usbDisk = false; // "disk" / "none"
    int language = 0;     // index of the language list
    int keyboard = 0;     // index of the keyboard list
    QString soundCard;    // "HDMI", "VGA" or empty

    // The slider runs 0-100, the stored volume 0-63. Volume to slider rounds
    // up, so that the slider's position gives back the volume it shows.
    static int volumeFromSlider(int position) { return position * 63 / 100; }
    static int sliderFromVolume(int volume) { return (volume * 100 + 62) / 63; }

    // Missing lines read as empty: a non-number counts as 0, and a line
    // holds its flag when it contains the word anywhere.
    static PeripheralConfig read();
    QStringList lines() const;
    bool write() const;
};
