#pragma once

#include <QByteArray>
#include <QStringList>

// The scan listing the supplicant's scan leaves behind: a heading line, then
// one line per access point whose last column, after the bracketed flags,
// is the network name.
class WifiScanListing
{
public:
    // The network names in listing order: per line the trimmed text after
    // the flags field (the whole line when it has no flags), whatever
    // brackets the name holds; empty names are left out, repeated names kept.
    static QStringList networkNames(const QByteArray& listing);
};
