#include "wifistatus.h"

#include <QFile>
#include <QStringList>

WifiStatus WifiStatus::parse(const QByteArray& report)
{
    static const QLatin1String addressKey("ip_address=");
    QStringList lines = QString::fromUtf8(report).split(QLatin1Char('\n'));
    // A final line end does not start another line.
    if (lines.size() > 1 && lines.constLast().isEmpty())
        lines.removeLast();
    WifiStatus status;
    status.associated = lines.value(1).startsWith(QLatin1String("bssid"));
    if (status.associated)
        status.ssid = lines.value(2).mid(5);
    status.lastLine = lines.constLast();
    status.hasAddress = status.lastLine.startsWith(addressKey);
    if (status.hasAddress)
        status.address = status.lastLine.mid(addressKey.size());
    return status;
}

bool WifiStatus::read(const QString& path, WifiStatus* status)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return false;
    *status = parse(file.readAll());
    return true;
}
