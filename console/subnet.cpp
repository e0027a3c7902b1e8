#include "subnet.h"

#include "addresscodec.h"

#include <charconv>

std::optional<Subnet> Subnet::parse(std::string_view cidr)
{
    const auto slash = cidr.find('/');
    if (slash == std::string_view::npos)
        return std::nullopt;
    const auto address = AddressCodec::parse(cidr.substr(0, slash));
    const std::string_view digits = cidr.substr(slash + 1);
    int prefix = -1;
    const char* end = digits.data() + digits.size();
    const auto [stop, status] = std::from_chars(digits.data(), end, prefix);
    if (!address || digits.empty() || digits.size() > 2 || status != std::errc() || stop != end
        || prefix < 0 || prefix > 32)
        return std::nullopt;
    return Subnet(*address, prefix);
}

Subnet::Subnet(quint32 address, int prefix)
    : m_mask(prefix == 0 ? 0 : ~quint32(0) << (32 - prefix))
    , m_network(address & m_mask)
{ }
