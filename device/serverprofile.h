#pragma once

#include <QString>
#include <QStringList>

// The saved remote-desktop server profiles: one file per server address in
// the profile directory, one value per line. The pages interpret the lines;
// this class only names, lists, reads, writes, copies and deletes the files.
class ServerProfile
{
public:
    enum Line { Address, Usrname, Passwd, Port, Domain, Remember, Autoconnect, RdpVersion, Countdown };

    // The lines a profile holds for the launcher: all of them, or up to
    // Autoconnect for the reduced one.
    static constexpr int lineCount(bool reduced) { return reduced ? Autoconnect + 1 : Countdown + 1; }

    // Profile names (server addresses) in directory order: by name, case-insensitive.
    static QStringList names();

    // True when the address names a file directly inside the profile
    // directory: not empty, no "/", not "." or "..".
    static bool isValidName(const QString& address);

    static QString filePath(const QString& address);

    // The profile's first lineCount lines; missing lines read as empty.
    // opened tells whether the file could be read.
    static QStringList read(const QString& address, int lineCount, bool* opened = nullptr);

    // Replaces the profile named by its first line with the lines.
    static bool write(const QStringList& lines);

    // Deletes exactly the one profile file of the address.
    static bool remove(const QString& address);

    // Replaces the current-connection file with a copy of the profile; the
    // old file stays when the profile cannot be read.
    static bool copyToConnectFile(const QString& address);
};
