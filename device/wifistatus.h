#pragma once

#include <QByteArray>
#include <QString>

// The supplicant's status report as the status script leaves it: a first
// line of any content, then, when associated, "bssid=..." and "ssid=<name>",
// and as the last line "ip_address=<address>" once an address is held.
class WifiStatus
{
public:
    bool associated = false; // line 2 begins with "bssid"
    QString ssid;            // line 3 after its first five characters
    QString lastLine;
    bool hasAddress = false; // the last line begins with "ip_address="
    QString address;

    static WifiStatus parse(const QByteArray& report);

    // Reads and parses the file; false when it cannot be opened.
    static bool read(const QString& path, WifiStatus* status);
};
