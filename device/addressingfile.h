#pragma once

#include <QString>
#include <QStringList>

// The six-line addressing file of the wired ("netconfig") and the wireless
// ("wificonfig.txt") interface: mode, address, netmask, gateway, DNS 1, DNS 2.
class AddressingFile
{
public:
    bool isStatic = false;
    QString address;
    QString netmask;
    QString gateway;
    QString dns1;
    QString dns2;

    // A missing or unreadable file reads as automatic; line 1 means static
    // when it holds "static" anywhere.
    static AddressingFile read(const QString& path);

    // Automatic addressing: the five values are one space each.
    static AddressingFile automatic();

    // The text id of the first field that fails its check, in the order
    // address, netmask, gateway, DNS 1, DNS 2 (69 to 73); 0 when all pass.
    // The DNS servers may be empty; the gateway may not.
    int invalidFieldTextId() const;

    QStringList lines() const;

    // Replaces the file atomically; false when it could not be written.
    bool write(const QString& path) const;
};
