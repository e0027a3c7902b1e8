#include "addresscodec.h"

std::optional<quint32> AddressCodec::parse(std::string_view dotted)
{
    auto next = dotted.begin();
    const auto end = dotted.end();
    quint32 address = 0;
    for (int number = 0; number < 4; ++number) {
        if (number > 0) {
            if (next == end || *next != '.')
                return std::nullopt;
            ++next;
        }
        const auto first = next;
        unsigned value = 0;
        while (next != end && *next >= '0' && *next <= '9' && next - first < 3)
            value = value * 10 + unsigned(*next++ - '0');
        const auto digits = next - first;
        if (digits == 0 || value > 255 || (digits > 1 && *first == '0'))
            return std::nullopt;
        address = address << 8 | value;
    }
    if (next != end)
        return std::nullopt;
    return address;
}

std::string AddressCodec::targetList(const std::vector<quint32>& addresses)
{
    std::string text = "[";
    for (const quint32 address : addresses) {
        if (text.size() > 1)
            text += ',';
        text += std::to_string(qint32(address));
    }
    return text + ']';
}
