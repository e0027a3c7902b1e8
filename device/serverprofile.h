#pragma once

#include <QString>
#include <QStringList>

// The saved remote-desktop server profiles: one file per server address in
// the profile directory, one value per line. The pages interpret the values;
// this class only names, lists, reads, writes, copies and deletes the files.
class ServerProfile
{
public:
    // One profile as its file holds it. The values stay the file's text: the
    // pages read "0"/"1" and numbers each their own way, and an odd value
    // must read back as it was written.
    struct Record
    {
        QString address;
        QString user;
        QString password;
        QString port;
        QString domain;
        QString remember;
        QString autoconnect;
        QString rdpVersion;
        QString countdown;

        // Missing lines read as empty values.
        static Record fromLines(const QStringList& lines);
        // The first count lines of the file, in file order.
        QStringList lines(int count) const;
    };

    // Launcher-lite writes the first seven lines, the full launcher all nine
    // (with the protocol version and the countdown).
    static constexpr int lineCount(bool lite) { return lite ? 7 : 9; }

    // Profile names (server addresses) in directory order: by name, case-insensitive.
    static QStringList names();

    // True when the address names a file directly inside the profile
    // directory: not empty, no "/", not "." or "..".
    static bool isValidName(const QString& address);

    static QString filePath(const QString& address);

    // The profile; missing lines read as empty. opened tells whether the
    // file could be read.
    static Record read(const QString& address, bool* opened = nullptr);

    // Replaces the profile named by its address with its first count lines.
    static bool write(const Record& profile, int count);

    // Deletes exactly the one profile file of the address.
    static bool remove(const QString& address);

    // Replaces the current-connection file with a copy of the profile; the
    // old file stays when the profile cannot be read.
    static bool copyToConnectFile(const QString& address);
};
