#include "hotspotinfo.h"

#include "devicepaths.h"
#include "linefile.h"

#include <QFile>
#include <QTextStream>

namespace {
const QLatin1String hexPrefix("%ssid%");
}

QString HotspotInfo::fileName(const QString& networkName)
{
    const bool literal = !networkName.contains(QLatin1Char('/'))
        && !networkName.contains(QChar(u'\0')) && networkName != QLatin1String(".")
        && networkName != QLatin1String("..") && !networkName.isEmpty()
        && !networkName.startsWith(hexPrefix);
    if (literal)
        return networkName;
    return hexPrefix + QString::fromLatin1(networkName.toUtf8().toHex());
}

QString HotspotInfo::path(const QString& networkName)
{
    return QStringLiteral(WIFIHOTSPOTINFODIR) + fileName(networkName);
}

bool HotspotInfo::exists(const QString& networkName)
{
    return QFile::exists(path(networkName));
}

bool HotspotInfo::readPassphrase(const QString& networkName, QString* passphrase)
{
    QFile file(path(networkName));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return false;
    *passphrase = QTextStream(&file).readLine();
    return true;
}

bool HotspotInfo::writePassphrase(const QString& networkName, const QString& passphrase)
{
    return LineFile::write(path(networkName), {passphrase});
}

void HotspotInfo::forget(const QString& networkName)
{
    QFile::remove(path(networkName));
}
