#include "wifistatus.h"

#include "devicepaths.h"
#ifdef LAUNCHER_LITE
#include "jyndebugonarm.h"
#endif

#include <QFile>
#include <QStringList>

#include <cstdlib>

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

WifiStatus WifiStatus::readOrExit()
{
    WifiStatus status;
    if (!read(QStringLiteral(WIFISTATUSFILE), &status)) {
#ifdef LAUNCHER_LITE
        jyndebugonarm(QStringLiteral("open check_net.txt fail!!\nexit"));
#endif
        std::exit(0);
    }
    return status;
}
