#pragma once

#include <QString>

// The IPv4 checks of the network pages and the profile manager: four
// dot-separated decimal groups of one to three digits, each 0-255, with
// nothing before or after. A netmask must also be a run of one bits followed
// by zero bits only.
class AddressValidator
{
public:
    static bool isIPaddress(const QString& text);
    static bool isNetMask(const QString& text);
    static bool isDnsaddress(const QString& text);
};
