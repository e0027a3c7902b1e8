#include "wifiscanlisting.h"

namespace {

// The name follows the flags field. In the tab-separated listing that is
// the fifth column, taken whole; in a line without those columns, the flags
// are the bracketed groups from the first "[" on. Either way a "]" inside
// the name stays part of it.
QString networkName(const QString& line)
{
    const QLatin1Char tab('\t');
    if (line.count(tab) >= 4)
        return line.section(tab, 4).trimmed();
    qsizetype end = line.indexOf(QLatin1Char('['));
    if (end < 0)
        return line.trimmed();
    while (end < line.size() && line.at(end) == QLatin1Char('[')) {
        const qsizetype close = line.indexOf(QLatin1Char(']'), end);
        if (close < 0)
            break;
        end = close + 1;
    }
    return line.mid(end).trimmed();
}

} // namespace

QStringList WifiScanListing::networkNames(const QByteArray& listing)
{
    QStringList names;
    const QStringList lines = QString::fromUtf8(listing).split(QLatin1Char('\n'));
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QString name = networkName(lines.at(i));
        if (!name.isEmpty())
            names << name;
    }
    return names;
}
