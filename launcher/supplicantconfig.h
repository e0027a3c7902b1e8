#pragma once

#include <QString>
#include <QStringList>

// The five-line supplicant configuration the connect dialog writes for one
// network. Name and passphrase go between double quotes when the format can
// hold them there; otherwise the name is written in its hexadecimal form and
// the passphrase as the 256-bit key derived from it, both unquoted, so no
// value can end its line or add a setting.
class SupplicantConfig
{
public:
    // Whether the passphrase can be written at all: quoted, or as a derived
    // key (8 to 63 bytes without control characters).
    static bool canHold(const QString& passphrase);

    // The five lines; the passphrase must pass canHold().
    static QStringList lines(const QString& networkName, const QString& passphrase);

    static bool write(const QString& path, const QString& networkName, const QString& passphrase);
};
