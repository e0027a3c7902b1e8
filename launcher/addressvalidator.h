#pragma once

#include <QString>

// The IPv4 checks of the network pages and the profile manager: four
// dot-separated decimal groups of one to three digits, each 0-255, with
// nothing before or after. Netmasks are checked the same way; a mask need
// not be a contiguous run of one bits.
class AddressValidator
{
public:
    static bool isIPaddress(const QString& text);
    static bool isNetMask(const QString& text);
    static bool isDnsaddress(const QString& text);
};
