#include "sandboxtestmain.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

// The addressing scripts and the network check, run for real: a DHCP server
// (dnsmasq) answers on the console's side of eth0, the console 192.168.1.1
// is the gateway that answers pings, 192.168.1.99 is an address nobody has.
namespace {
const QString login = QStringLiteral("/opt/zoderer/login/");
const QString configs = QStringLiteral("/opt/zoderer/configs/");
const QString netconfig = configs + QStringLiteral("network/netconfig");
const QString wificonfig = configs + QStringLiteral("network/wificonfigs/wificonfig.txt");
const QString netcheck = configs + QStringLiteral("network/netcheck");
const QString connectfile = configs + QStringLiteral("usrinfodir/connectfile");
const QString dhcpPidFile = QStringLiteral("/run/udhcpc.eth0.pid");

QByteArray addressingFile(const QString& address, const QString& mask, const QString& gateway,
                          const QString& dns1 = {}, const QString& dns2 = {})
{
    return QStringList{"static", address, mask, gateway, dns1, dns2}.join('\n').toUtf8() + '\n';
}

const QByteArray automatic = "auto\n \n \n \n \n \n";

QString command(const QString& program, const QStringList& arguments)
{
    QByteArray output;
    Sandbox::run(program, arguments, &output);
    return QString::fromUtf8(output);
}

// The IPv4 addresses of an interface, as ADDRESS/PREFIX.
QStringList addresses(const QString& interface)
{
    QStringList found;
    static const QRegularExpression inet(QStringLiteral(" inet (\\S+) "));
    auto matches = inet.globalMatch(command("ip", {"-4", "-o", "addr", "show", "dev", interface}));
    while (matches.hasNext())
        found << matches.next().captured(1);
    return found;
}

QString defaultRoute()
{
    return command("ip", {"-4", "route", "show", "default"}).simplified();
}

bool linkUp(const QString& interface)
{
    return command("ip", {"-o", "link", "show", "dev", interface}).contains(QRegularExpression("[<,]UP[,>]"));
}

int runScript(const QString& name)
{
    return Sandbox::run(login + name, {});
}

// wlan0 as a veth whose peer is parked in the console namespace.
bool haveWlan0()
{
    return QFile::exists("/sys/class/net/wlan0")
        || Sandbox::sandbox({"peer-if", "wlan0=192.168.50.99/24"}) == 0;
}

bool dhcpClientRunning()
{
    const QString pid = QString::fromLatin1(Sandbox::readFile(dhcpPidFile).trimmed());
    return !pid.isEmpty() && Sandbox::readFile("/proc/" + pid + "/comm").trimmed() == "udhcpc";
}
}

class TestWiredNetwork : public QObject
{
    Q_OBJECT

    QProcess m_dhcpServer;

private slots:
    void initTestCase()
    {
        for (const char* program : {"dnsmasq", "udhcpc", "ping", "ip"}) {
            const QString path = QStandardPaths::findExecutable(program, {"/usr/sbin", "/usr/bin", "/sbin", "/bin"});
            QVERIFY2(!path.isEmpty(), qPrintable(QStringLiteral("%1 is not installed").arg(program)));
        }
        QVERIFY(Sandbox::installDeviceLayer());
        m_dhcpServer.setProcessChannelMode(QProcess::MergedChannels);
        m_dhcpServer.start(Sandbox::script(),
                           {"host", "console", "--", "dnsmasq", "--no-daemon", "--port=0", "--no-ping",
                            "--dhcp-range=192.168.1.100,192.168.1.150,255.255.255.0,1h",
                            "--dhcp-option=3,192.168.1.1", "--dhcp-option=6,192.168.1.53",
                            "--interface=eth0", "--bind-interfaces", "--dhcp-leasefile=/tmp/leases"});
        QVERIFY(m_dhcpServer.waitForStarted());
        // Ready once it says so (on standard error, merged here).
        QByteArray said;
        QTRY_VERIFY_WITH_TIMEOUT((said += m_dhcpServer.readAll()).contains("sockets bound exclusively")
                                     || m_dhcpServer.state() == QProcess::NotRunning,
                                 10000);
        QVERIFY2(m_dhcpServer.state() == QProcess::Running, said.constData());
    }

    void cleanupTestCase()
    {
        // Both go by their pids: the server started here, the client by its pid file.
        const QString pid = QString::fromLatin1(Sandbox::readFile(dhcpPidFile).trimmed());
        if (dhcpClientRunning())
            Sandbox::run("kill", {pid});
        if (m_dhcpServer.state() != QProcess::NotRunning) {
            m_dhcpServer.terminate();
            m_dhcpServer.waitForFinished(5000);
        }
    }

    void automaticAddressing()
    {
        QVERIFY(Sandbox::writeFile(netconfig, automatic));
        QCOMPARE(runScript("setnetwork.sh"), 0);
        const QStringList found = addresses("eth0");
        QCOMPARE(found.size(), 1);
        const QRegularExpression leased(QStringLiteral("^192\\.168\\.1\\.(\\d+)/24$"));
        const QRegularExpressionMatch match = leased.match(found.first());
        QVERIFY2(match.hasMatch(), qPrintable(found.first()));
        const int host = match.captured(1).toInt();
        QVERIFY2(host >= 100 && host <= 150, qPrintable(found.first()));
        QCOMPARE(defaultRoute(), QStringLiteral("default via 192.168.1.1 dev eth0"));
        QCOMPARE(Sandbox::readFile("/etc/resolv.conf"), QByteArray("nameserver 192.168.1.53\n"));
        // The client stays to renew the lease.
        QVERIFY(dhcpClientRunning());
    }

    void staticAddressing_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("route");
        QTest::addColumn<QByteArray>("resolver");
        QTest::newRow("two name servers")
            << addressingFile("192.168.1.30", "255.255.255.0", "192.168.1.1", "8.8.8.8", "8.8.4.4")
            << "192.168.1.30/24" << "default via 192.168.1.1 dev eth0"
            << QByteArray("nameserver 8.8.8.8\nnameserver 8.8.4.4\n");
        QTest::newRow("wider mask, one name server, leading zeros")
            << addressingFile("192.168.001.040", "255.255.0.0", "192.168.1.1", "", "9.9.9.9")
            << "192.168.1.40/16" << "default via 192.168.1.1 dev eth0" << QByteArray("nameserver 9.9.9.9\n");
        QTest::newRow("no gateway, no name server")
            << addressingFile("192.168.1.31", "255.255.255.128", "") << "192.168.1.31/25" << ""
            << QByteArray();
    }

    // Whatever ran before (the DHCP client first), the interface ends with
    // exactly the configured address, route and resolver file.
    void staticAddressing()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, address);
        QFETCH(QString, route);
        QFETCH(QByteArray, resolver);
        QVERIFY(Sandbox::writeFile(netconfig, file));
        QCOMPARE(runScript("setnetwork.sh"), 0);
        QCOMPARE(addresses("eth0"), QStringList{address});
        QCOMPARE(defaultRoute(), route);
        QCOMPARE(Sandbox::readFile("/etc/resolv.conf"), resolver);
        QVERIFY(!dhcpClientRunning());
        QVERIFY(Sandbox::standinCalls().contains("logger -t setaddressing.sh -- eth0: static address " + address));
    }

    void invalidStaticChangesNothing()
    {
        QVERIFY(Sandbox::writeFile(netconfig, addressingFile("192.168.1.32", "255.255.255.0", "192.168.1.1")));
        QCOMPARE(runScript("setnetwork.sh"), 0);
        QVERIFY(Sandbox::writeFile(netconfig, addressingFile("192.168.1.300", "255.255.255.0", "192.168.1.1")));
        QVERIFY(runScript("setnetwork.sh") != 0);
        QVERIFY(Sandbox::writeFile(netconfig, addressingFile("192.168.1.33", "255.0.255.0", "192.168.1.1")));
        QVERIFY(runScript("setnetwork.sh") != 0);
        QCOMPARE(addresses("eth0"), QStringList{"192.168.1.32/24"});
        QCOMPARE(defaultRoute(), QStringLiteral("default via 192.168.1.1 dev eth0"));
    }

    void networkCheck_data()
    {
        QTest::addColumn<QString>("gateway");
        QTest::addColumn<QString>("server"); // line 1 of the current connection; none when empty
        QTest::addColumn<QByteArray>("result");
        QTest::newRow("gateway answers") << "192.168.1.1" << "" << QByteArray("PINGOK\n192.168.1.1\n");
        QTest::newRow("gateway silent") << "192.168.1.99" << "" << QByteArray("PINGFAIL\n192.168.1.99\n");
        QTest::newRow("gateway silent, server answers")
            << "192.168.1.99" << "192.168.1.1" << QByteArray("PINGFAIL\n192.168.1.99\n");
        QTest::newRow("no gateway, server answers") << "" << "192.168.1.1" << QByteArray("PINGOK\n192.168.1.1\n");
        QTest::newRow("no gateway, server silent")
            << "" << "192.168.1.99" << QByteArray("PINGFAIL\n192.168.1.99\n");
        QTest::newRow("no gateway, no server") << "" << "" << QByteArray("PINGFAIL\n\n");
    }

    void networkCheck()
    {
        QFETCH(QString, gateway);
        QFETCH(QString, server);
        QFETCH(QByteArray, result);
        QVERIFY(Sandbox::writeFile(netconfig, addressingFile("192.168.1.30", "255.255.255.0", gateway)));
        QCOMPARE(runScript("setnetwork.sh"), 0);
        QFile::remove(connectfile);
        if (!server.isEmpty())
            QVERIFY(Sandbox::writeFile(connectfile, server.toUtf8() + "\nuser\n\n3389\n"));
        QFile::remove(netcheck);
        QCOMPARE(runScript("checknet.sh"), 0);
        QCOMPARE(Sandbox::readFile(netcheck), result);
    }

    // The Wi-Fi addressing shares the wired one's code; what is proven here
    // is that it reaches wlan0 and reads the Wi-Fi file.
    void wirelessStaticAddressing()
    {
        QVERIFY(haveWlan0());
        QVERIFY(Sandbox::writeFile(wificonfig,
                                   addressingFile("192.168.50.20", "255.255.255.0", "192.168.50.1", "1.1.1.1")));
        QCOMPARE(runScript("setwifis/setwifi.sh"), 0);
        QCOMPARE(addresses("wlan0"), QStringList{"192.168.50.20/24"});
        QCOMPARE(defaultRoute(), QStringLiteral("default via 192.168.50.1 dev wlan0"));
        QCOMPARE(Sandbox::readFile("/etc/resolv.conf"), QByteArray("nameserver 1.1.1.1\n"));
    }

    void linkScripts()
    {
        QVERIFY(haveWlan0());
        QCOMPARE(runScript("setwifis/ifconfig_eth0_down.sh"), 0);
        QVERIFY(!linkUp("eth0"));
        QCOMPARE(runScript("setwifis/ifconfig_eth0_up.sh"), 0);
        QVERIFY(linkUp("eth0"));
        QVERIFY(linkUp("wlan0"));
        QCOMPARE(runScript("ifconfig_wlan0_down.sh"), 0);
        QVERIFY(!linkUp("wlan0"));
    }
};

SANDBOX_TEST_MAIN(TestWiredNetwork)
#include "tst_wirednetwork.moc"
