#include "sandboxtestmain.h"

#include "supplicantconfig.h"
#include "wifiscanlisting.h"
#include "wifistatus.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>

// The Wi-Fi scripts with the real wpa_supplicant, on a wlan0 without a radio:
// a veth whose supplicant runs the wired driver. A network block with
// ap_scan=0 and no keys counts as associated there at once, which shows the
// status report with the supplicant's own answers; what needs a radio (scan
// entries, a WPA handshake, a wrong passphrase) cannot happen here.
class TestWifiScripts : public QObject
{
    Q_OBJECT

    const QString dir = QStringLiteral("/opt/zoderer/configs/network/wificonfigs/");
    const QString scripts = QStringLiteral("/opt/zoderer/login/setwifis/");

    static QString hexName(const QString& name)
    {
        return QString::fromLatin1(name.toUtf8().toHex());
    }

    static QByteArray wiredNetwork(const QString& name)
    {
        return "ctrl_interface=/var/run/wpa_supplicant\nap_scan=0\nnetwork={\n\tssid="
            + hexName(name).toLatin1() + "\n\tkey_mgmt=NONE\n}\n";
    }

    static int run(const QString& program, const QStringList& arguments = {},
                   QByteArray* output = nullptr)
    {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("WIFI_DRIVER"), QStringLiteral("wired"));
        environment.insert(QStringLiteral("WIFI_ASSOCIATE_WAIT"), QStringLiteral("2"));
        environment.insert(QStringLiteral("WIFI_SCAN_WAIT"), QStringLiteral("1"));
        environment.insert(QStringLiteral("PATH"),
                           environment.value(QStringLiteral("PATH"))
                               + QStringLiteral(":/usr/sbin:/sbin"));
        process.setProcessEnvironment(environment);
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(program, arguments);
        if (!process.waitForFinished(30000))
            return -1;
        if (output)
            *output = process.readAll();
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }

    int script(const QString& name) { return run(scripts + name); }

    static bool supplicantRuns()
    {
        QByteArray answer;
        run(QStringLiteral("wpa_cli"), {"-i", "wlan0", "ping"}, &answer);
        return answer.trimmed() == "PONG";
    }

    WifiStatus status()
    {
        return WifiStatus::parse(Sandbox::readFile(dir + QStringLiteral("check_wifi_status.txt")));
    }

    bool logged(const QString& text)
    {
        return !Sandbox::loggedLines().filter(text).isEmpty();
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("wpa_supplicant"),
                                                 {"/usr/sbin", "/sbin"})
                      .isEmpty(),
                 "wpa_supplicant is missing (Debian package wpasupplicant)");
        QVERIFY(Sandbox::installDeviceLayer());
        QVERIFY(QFileInfo(scripts + QStringLiteral("connectwifi.sh")).isExecutable());
        QCOMPARE(run(QStringLiteral("ip"),
                     {"link", "add", "wlan0", "type", "veth", "peer", "name", "wlan0peer"}),
                 0);
        QCOMPARE(run(QStringLiteral("ip"), {"link", "set", "wlan0peer", "up"}), 0);
    }

    void cleanup()
    {
        // The supplicant is gone once its control socket is.
        run(QStringLiteral("wpa_cli"), {"-i", "wlan0", "terminate"});
        QTRY_VERIFY(!QFile::exists(QStringLiteral("/var/run/wpa_supplicant/wlan0")));
        QDir(dir).removeRecursively();
        QFile::remove(QStringLiteral("/tmp/sandbox-calls.log"));
        run(QStringLiteral("ip"), {"addr", "flush", "dev", "wlan0"});
    }

    void statusWithoutSupplicant()
    {
        QCOMPARE(script(QStringLiteral("check_wifi_status.sh")), 0);
        QCOMPARE(Sandbox::readFile(dir + QStringLiteral("check_wifi_status.txt")),
                 QByteArray("Selected interface 'wlan0'\nwpa_state=DISCONNECTED\n"));
    }

    // The report names the network with its own bytes, whatever the
    // supplicant escapes in its answer, and ends in the address once held.
    void associationReported_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("plain") << QStringLiteral("Office");
        QTest::newRow("quotes and backslash") << QStringLiteral("Lab \"5G\" \\ x");
        QTest::newRow("UTF-8") << QStringLiteral("会议室 Café");
        QTest::newRow("dash, hash, escape") << QStringLiteral("-n #1 \x1b");
    }

    void associationReported()
    {
        QFETCH(QString, name);
        QVERIFY(Sandbox::writeFile(dir + QStringLiteral("wpa_supplicant_connect.conf"),
                                   wiredNetwork(name)));
        QCOMPARE(script(QStringLiteral("connectwifi.sh")), 0);
        WifiStatus report = status();
        QVERIFY(report.associated);
        QCOMPARE(report.ssid, name);
        QVERIFY(!report.hasAddress);
        QVERIFY(
            logged(QStringLiteral("associated with the network of wpa_supplicant_connect.conf")));

        QCOMPARE(run(QStringLiteral("ip"), {"addr", "add", "192.168.60.5/24", "dev", "wlan0"}), 0);
        QCOMPARE(script(QStringLiteral("check_wifi_status.sh")), 0);
        report = status();
        QVERIFY(report.associated);
        QCOMPARE(report.ssid, name);
        QVERIFY(report.hasAddress);
        QCOMPARE(report.address, QStringLiteral("192.168.60.5"));

        // Giving up leaves the supplicant for scans.
        QCOMPARE(script(QStringLiteral("connectwifi_fail.sh")), 0);
        QVERIFY(!status().associated);
        QVERIFY(supplicantRuns());
    }

    // A file the dialog wrote starts the supplicant (the handshake itself
    // needs a radio); one the supplicant refuses is reported as such.
    void dialogFileAcceptedRefusedFileReported()
    {
        QVERIFY(QDir().mkpath(dir));
        QVERIFY(SupplicantConfig::write(dir + QStringLiteral("wpa_supplicant_connect.conf"),
                                        QStringLiteral("Lab \"5G\""),
                                        QStringLiteral("pass\\word")));
        QCOMPARE(script(QStringLiteral("connectwifi.sh")), 1);
        QVERIFY(supplicantRuns());
        QVERIFY(!status().associated);
        QVERIFY(logged(
            QStringLiteral("no association with the network of wpa_supplicant_connect.conf")));

        QVERIFY(Sandbox::writeFile(dir + QStringLiteral("wpa_supplicant_connect.conf"),
                                   "network={\n\tssid=\"x\"\n\tpsk=\"short\"\n}\n"));
        QCOMPARE(script(QStringLiteral("connectwifi.sh")), 1);
        QVERIFY(!supplicantRuns());
        QVERIFY(!status().associated);
        QVERIFY(logged(QStringLiteral("the supplicant refused wpa_supplicant_connect.conf")));
        QVERIFY(!Sandbox::readFile(QStringLiteral("/tmp/sandbox-calls.log")).contains("short"));
    }

    void savedNetwork()
    {
        QCOMPARE(script(QStringLiteral("connectwifi_defaul.sh")), 1);
        QVERIFY(!status().associated);
        QVERIFY(logged(QStringLiteral("no network configuration wpa_supplicant.conf")));
        QCOMPARE(script(QStringLiteral("armbox_init.sh")), 0);
        QVERIFY(!supplicantRuns());
        QVERIFY(logged(QStringLiteral("no saved Wi-Fi network")));

        QVERIFY(Sandbox::writeFile(dir + QStringLiteral("wpa_supplicant.conf"),
                                   wiredNetwork(QStringLiteral("Home"))));
        QCOMPARE(script(QStringLiteral("armbox_init.sh")), 0);
        QVERIFY(supplicantRuns());
        QVERIFY(logged(QStringLiteral("the supplicant is started with the saved network")));
        QCOMPARE(script(QStringLiteral("connectwifi_defaul.sh")), 0);
        QVERIFY(status().associated);
        QCOMPARE(status().ssid, QStringLiteral("Home"));
    }

    // Without a radio the listing holds the heading alone.
    void scanListing()
    {
        QCOMPARE(script(QStringLiteral("scan_result.sh")), 0);
        QVERIFY(supplicantRuns());
        const QByteArray listing = Sandbox::readFile(dir + QStringLiteral("scan_result_all.txt"));
        QCOMPARE(listing, QByteArray("bssid / frequency / signal level / flags / ssid\n"));
        QVERIFY(WifiScanListing::networkNames(listing).isEmpty());
        QVERIFY(logged(QStringLiteral("0 access points listed")));
    }

    void pause()
    {
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(script(QStringLiteral("sleep1.sh")), 0);
        QVERIFY(timer.elapsed() >= 1000);
    }
};

SANDBOX_TEST_MAIN(TestWifiScripts)
#include "tst_wifiscripts.moc"
