#include "wifiscanlisting.h"

QStringList WifiScanListing::networkNames(const QByteArray& listing)
{
    QStringList names;
    const QStringList lines = QString::fromUtf8(listing).split(QLatin1Char('\n'));
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QString& line = lines.at(i);
        const QString name = line.mid(line.lastIndexOf(QLatin1Char(']')) + 1).trimmed();
        if (!name.isEmpty())
            names << name;
    }
    return names;
}
