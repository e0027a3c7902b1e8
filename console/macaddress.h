#pragma once

#include <QtGlobal>

#include <array>
#include <optional>
#include <string>
#include <string_view>

// A hardware address as people write it and terminals report it.
class MacAddress
{
public:
    using Bytes = std::array<quint8, 6>;

    // Six pairs of hexadecimal digits, either case, all separated by ':' or
    // all by '-'. Anything else (other separators, mixed ones, single
    // digits, blanks) is refused rather than guessed at.
    static std::optional<Bytes> parse(std::string_view text);
    // Lower case, colon separated: the one form the console stores and prints.
    static std::string text(const Bytes& bytes);
};
