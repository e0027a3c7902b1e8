#pragma once

#include <QtGlobal>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// IPv4 addresses as the console reads them from the user and as the share
// protocol carries them in reboot and shutdown requests.
class AddressCodec
{
public:
    // The host-order value of exactly four dotted decimal numbers 0..255.
    // Blanks, signs, hexadecimal, short forms ("1.2.3") and leading zeros
    // are refused: other tools read "010" as octal, so it is not guessed at.
    static std::optional<quint32> parse(std::string_view dotted);

    // The JSON array text the terminals expect: each address is its 32-bit
    // value read as a signed number, so 128.0.0.0 and up are negative.
    static std::string targetList(const std::vector<quint32>& addresses);
};
