#pragma once

#include <QString>

// The saved passphrases: one file per network in the "hotspotinfo"
// directory, its first line the passphrase. A network name is used as the
// file name as it is, unless it cannot name a file inside the directory
// ("/" or a NUL in it, "." or ".."): such names, and names that begin with
// the encoding's own prefix, are stored under the prefix followed by the
// name's UTF-8 bytes in hexadecimal, so no two names share a file.
class HotspotInfo
{
public:
    static QString fileName(const QString& networkName);
    static QString path(const QString& networkName);

    static bool exists(const QString& networkName);
    // The first line of the network's file; false when it cannot be opened.
    static bool readPassphrase(const QString& networkName, QString* passphrase);
    static bool writePassphrase(const QString& networkName, const QString& passphrase);
    static void forget(const QString& networkName);
};
