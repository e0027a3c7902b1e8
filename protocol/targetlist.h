#pragma once

#include <QtGlobal>

#include <optional>
#include <string>
#include <vector>

// The address list of a reboot or shutdown request: a JSON array of IPv4
// addresses, each its 32-bit value read as a signed number.
class TargetList
{
public:
    // Nothing unless the text is a non-empty array whose every element is an
    // address. Null and false read as 0, true as 1, a fraction as its integer
    // part; a text, an array, an object or a number beyond the signed 32-bit
    // range rejects the whole list, since a malformed list means a faulty
    // sender and a reboot is not a thing to guess about.
    static std::optional<std::vector<qint32>> parse(const std::string& content);
};
