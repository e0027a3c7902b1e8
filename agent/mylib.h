#pragma once

#include "rdp_info.h"

#include <QByteArray>
#include <QString>

// Static helpers that reach the device: the remote-desktop settings scripts.
class Provider
{
public:
    // Runs "./getRDPinfo.sh" (at most 30 s) and reads its "|"-separated output.
    static RDP_Info getRDPInfo();
    // Runs "./updateRDPinfo.sh" with the four values as separate arguments.
    static void setRDPInfo(const QString& address, const QString& user, const QString& password,
                           const QString& port);

    // The settings script's output: server|user|password|port.
    static RDP_Info parseRDPInfo(const QByteArray& output);
    // Decimal prefix of a text: leading blanks skipped, reading stops at the
    // first non-digit; no digits, or a value beyond int, gives 0.
    static int leadingInt(const QString& text);
};
