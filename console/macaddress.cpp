#include "macaddress.h"

namespace {

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

std::optional<MacAddress::Bytes> MacAddress::parse(std::string_view text)
{
    constexpr size_t Length = 6 * 2 + 5;
    if (text.size() != Length || (text[2] != ':' && text[2] != '-'))
        return std::nullopt;
    const char separator = text[2];
    Bytes bytes {};
    for (size_t i = 0; i < bytes.size(); ++i) {
        const size_t at = i * 3;
        const int high = hexDigit(text[at]);
        const int low = hexDigit(text[at + 1]);
        if (high < 0 || low < 0 || (i > 0 && text[at - 1] != separator))
            return std::nullopt;
        bytes[i] = quint8(high << 4 | low);
    }
    return bytes;
}

std::string MacAddress::text(const Bytes& bytes)
{
    static constexpr char Digits[] = "0123456789abcdef";
    std::string text;
    for (const quint8 byte : bytes) {
        if (!text.empty())
            text += ':';
        text += Digits[byte >> 4];
        text += Digits[byte & 0xf];
    }
    return text;
}
