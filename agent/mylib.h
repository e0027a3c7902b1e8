#pragma once

#include "rdp_info.h"

#include <QByteArray>
#include <QString>

class ScreenFrame;

// True when line 1 of the HDMI flag file is a non-zero integer.
bool isHdmiEnabled();

// Static helpers that reach the device: the remote-desktop settings scripts
// and the framebuffer.
class Provider
{
public:
    // Copies the visible frame of the framebuffer (/dev/fb1 when HDMI is in
    // use at the first capture, else /dev/fb0) into frame; false on failure.
    static bool getScreenData(ScreenFrame& frame);
    // Captures and encodes one JPEG file into out (its allocation is reused).
    static bool getScreenImage(QByteArray& out);

    // Runs "./getRDPinfo.sh" (at most 30 s) and reads its "|"-separated output,
    // each byte as one Latin-1 character.
    static RDP_Info getRDPInfo();
    // Runs "./updateRDPinfo.sh" with the four values as separate arguments,
    // each Latin-1 character passed as the byte it stands for.
    static void setRDPInfo(const QString& address, const QString& user, const QString& password,
                           const QString& port);

    // The settings script's output: server|user|password|port, where the
    // password is everything between the second and the last "|".
    static RDP_Info parseRDPInfo(const QByteArray& output);
    // Decimal prefix of a text: leading blanks skipped, reading stops at the
    // first non-digit; no digits, or a value beyond int, gives 0.
    static int leadingInt(const QString& text);
};
