#include "settingsfixture.h"

#include "launchertest.h"
#include "sandbox.h"
#include "terminalattribution.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace SettingsFixture {

const QString configs = QStringLiteral("/opt/zoderer/configs/");
const QString wifiDir = configs + QStringLiteral("network/wificonfigs/");
const QString statusFile = wifiDir + QStringLiteral("check_wifi_status.txt");

namespace {
const QString radioDir = QStringLiteral("/tmp/wifi/");
const QString orderLog = QStringLiteral("/tmp/script-order.log");
const QString overlapLog = radioDir + QStringLiteral("overlaps");

// A script that callers wait for notes a run that finds another one going,
// and takes the seconds in the radio's "delay" file, when a test writes it.
QByteArray oneAtATime(const QByteArray& commands = QByteArray())
{
    const QByteArray running = (radioDir + QStringLiteral("running")).toUtf8();
    const QByteArray delay = (radioDir + QStringLiteral("delay")).toUtf8();
    return "mkdir '" + running + "' 2>/dev/null || echo \"$0\" >> '" + overlapLog.toUtf8() + "'\n"
        + "[ -f '" + delay + "' ] && sleep \"$(cat '" + delay + "')\"\n" + commands + "rmdir '"
        + running + "'\n";
}

bool writeScript(const QString& path, const QByteArray& commands = QByteArray())
{
    FakeScript fake;
    fake.commands = "echo '" + QFileInfo(path).fileName().toUtf8() + "' >> '" + orderLog.toUtf8()
        + "'\n" + commands;
    return Sandbox::writeRecordingScript(path, fake);
}

QByteArray copyInto(const QString& from, const QString& to)
{
    // Written beside and renamed, as a reader may look at any moment.
    return "if [ -f '" + from.toUtf8() + "' ]; then cp '" + from.toUtf8() + "' '" + to.toUtf8()
        + ".new' && mv '" + to.toUtf8() + ".new' '" + to.toUtf8() + "'; fi\n";
}
} // namespace

void reset()
{
    QVERIFY(LauncherFixture::writeLanguageDb(123));
    LauncherFixture::resetTree();
    for (const char* dir : {"network", "display", "peripheral", "passwd"})
        QDir(configs + QLatin1String(dir)).removeRecursively();
    QVERIFY(QDir().mkpath(wifiDir + QStringLiteral("hotspotinfo")));
    QVERIFY(Sandbox::writeFile(configs + QStringLiteral("network/Networkselection"), "wired"));
    QDir(radioDir).removeRecursively();
    QVERIFY(QDir().mkpath(radioDir));
    QVERIFY(writeRadio(QStringLiteral("status"), "wpa_state=DISCONNECTED\n"));
    QVERIFY(Sandbox::writeFile(statusFile, "wpa_state=DISCONNECTED\n"));
    clearScriptOrder();

    for (const char* name :
         {"setnetwork.sh", "ifconfig_wlan0_down.sh", "setdisplay.sh", "setperipheral.sh",
          "setpasswd.sh", "changepasswd.sh", "deletepasswd.sh", "recoveryfactory.sh"})
        QVERIFY(writeScript(loginScript(name)));
    for (const char* name : {"setwifi.sh", "connectwifi_defaul.sh"})
        QVERIFY(writeScript(wifiScript(name)));
    for (const char* name : {"sleep1.sh", "ifconfig_eth0_down.sh"})
        QVERIFY(writeScript(wifiScript(name), oneAtATime()));
    QVERIFY(writeScript(wifiScript("scan_result.sh"),
                        oneAtATime(copyInto(radioDir + "scan", wifiDir + "scan_result_all.txt"))));
    QVERIFY(writeScript(wifiScript("check_wifi_status.sh"),
                        oneAtATime(copyInto(radioDir + "status", statusFile))));
    QVERIFY(writeScript(wifiScript("connectwifi.sh"),
                        oneAtATime(copyInto(radioDir + "after-connect", radioDir + "status")
                                   + copyInto(radioDir + "status", statusFile))));
    QVERIFY(writeScript(wifiScript("connectwifi_fail.sh"),
                        oneAtATime(copyInto(radioDir + "after-fail", radioDir + "status")
                                   + copyInto(radioDir + "status", statusFile))));
}

bool writeRadio(const QString& name, const QByteArray& content)
{
    return Sandbox::writeFile(radioDir + name, content);
}

QByteArray associatedStatus(const QString& ssid, const QString& address)
{
    QByteArray report = "Selected interface 'wlan0'\nbssid=00:11:22:33:44:55\nssid=" + ssid.toUtf8()
        + "\nid=0\nmode=station\nwpa_state=COMPLETED\n";
    if (!address.isEmpty())
        report += "ip_address=" + address.toUtf8() + "\n";
    return report;
}

QString loginScript(const char* name)
{
    return QStringLiteral("/opt/zoderer/login/") + QLatin1String(name);
}

QString wifiScript(const char* name)
{
    return QStringLiteral("/opt/zoderer/login/setwifis/") + QLatin1String(name);
}

QStringList scriptOrder()
{
    return QString::fromUtf8(Sandbox::readFile(orderLog))
        .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

void clearScriptOrder()
{
    QFile::remove(orderLog);
}

QStringList overlappingScripts()
{
    return QString::fromUtf8(Sandbox::readFile(overlapLog))
        .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

QString text(int id)
{
    return TerminalAttribution::getInstance()->getLanguage(id);
}

QStringList texts(const QList<int>& ids)
{
    QStringList looked;
    for (int id : ids)
        looked << text(id);
    return looked;
}

} // namespace SettingsFixture
