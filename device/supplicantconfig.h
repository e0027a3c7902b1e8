#pragma once

#include <QString>
#include <QStringList>

// The five-line supplicant configuration the connect dialog writes for one
// network. Name and passphrase go between double quotes when the format can
// hold them there; otherwise the name is written in its hexadecimal form and
// the passphrase as the 256-bit key derived from it, both unquoted, so no
// value can end its line or add a setting. A passphrase of 64 hexadecimal
// digits is such a key already and is written unquoted as it is.
class SupplicantConfig
{
public:
    enum class Passphrase { Acceptable, BadLength, BadCharacters };

    // WPA takes 8 to 63 bytes of passphrase, or a 64-digit key; control
    // characters fit no form of the file.
    static Passphrase check(const QString& passphrase);

    // The five lines; the passphrase must be Acceptable.
    static QStringList lines(const QString& networkName, const QString& passphrase);

    static bool write(const QString& path, const QString& networkName, const QString& passphrase);

    // Whether the file at path configures that network.
    static bool holds(const QString& path, const QString& networkName);
};
