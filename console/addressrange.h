#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <optional>
#include <vector>

// The terminals an operator names at once: dotted addresses and subnets
// (A.B.C.D/P), expanded into single addresses.
class AddressRange
{
public:
    // A sweep of more than a /16 is almost certainly a typo in the prefix.
    static constexpr std::size_t MaxAddresses = 65536;

    // The addresses in the order given, each once. A subnet leaves out its
    // network and broadcast addresses, which no terminal holds, but for /31
    // and /32 (a point-to-point pair, one host). Nothing, with error set,
    // when a word does not parse or the total passes MaxAddresses.
    static std::optional<std::vector<quint32>> expand(const QStringList& words, QString& error);
};
