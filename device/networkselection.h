#pragma once

#include <QString>

// The network-type file: "wired" or "wireless" without a line end; empty
// counts as wired. It is reached through the Wi-Fi configuration directory,
// which therefore has to exist.
class NetworkSelection
{
public:
    static QString path();
    // The first line; false when the file cannot be opened.
    static bool read(QString* type);
    // Replaces the file atomically; false when it cannot be written.
    static bool write(const QString& type);
};
