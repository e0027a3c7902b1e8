#include "addressrange.h"

#include "addresscodec.h"

#include <charconv>
#include <string>
#include <unordered_set>

namespace {

std::optional<int> prefixLength(const std::string& digits)
{
    int value = -1;
    const char* end = digits.data() + digits.size();
    const auto [stop, status] = std::from_chars(digits.data(), end, value);
    if (digits.empty() || digits.size() > 2 || status != std::errc() || stop != end || value < 0
        || value > 32)
        return std::nullopt;
    return value;
}

} // namespace

std::optional<std::vector<quint32>> AddressRange::expand(const QStringList& words, QString& error)
{
    std::vector<quint32> addresses;
    std::unordered_set<quint32> seen;
    for (const QString& word : words) {
        const std::string text = word.toStdString();
        const std::size_t slash = text.find('/');
        const auto base = AddressCodec::parse(text.substr(0, slash));
        const auto prefix = slash == std::string::npos ? std::optional<int>(32)
                                                       : prefixLength(text.substr(slash + 1));
        if (!base || !prefix) {
            error = QStringLiteral("invalid address or subnet '%1' (A.B.C.D or A.B.C.D/0..32)").arg(word);
            return std::nullopt;
        }
        const quint64 size = quint64(1) << (32 - *prefix);
        const quint32 first = *prefix == 0 ? 0 : *base & ~quint32(size - 1);
        // Network and broadcast addresses only exist in subnets of 4 or more.
        const quint64 skip = size >= 4 ? 1 : 0;
        if (addresses.size() + (size - 2 * skip) > MaxAddresses) {
            error = QStringLiteral("'%1' takes the total past %2 addresses (a /16); name fewer")
                        .arg(word)
                        .arg(MaxAddresses);
            return std::nullopt;
        }
        for (quint64 offset = skip; offset < size - skip; ++offset) {
            const quint32 address = first + quint32(offset);
            if (seen.insert(address).second)
                addresses.push_back(address);
        }
    }
    return addresses;
}
