#include "agentprocess.h"
#include "sandboxtestmain.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkDatagram>
#include <QUdpSocket>

#include <memory>
#include <vector>

// Five terminals and a console on one bridged LAN, each host with its own
// network and file tree; the console is termctl.
class TestLan : public QObject
{
    Q_OBJECT

    static constexpr int Terminals = 5;
    std::vector<std::unique_ptr<AgentProcess>> agents;

    static QString address(int k) { return QStringLiteral("192.168.1.%1").arg(10 + k); }

    static QByteArray termctl(const QStringList& arguments, int* status = nullptr)
    {
        QByteArray output;
        const int code = Sandbox::sandbox(QStringList{"host", "console", "--", TERMCTL_PATH} + arguments,
                                          &output);
        if (status)
            *status = code;
        return output;
    }

    // The console's inventory, by terminal id.
    static QMap<QString, QJsonObject> inventory()
    {
        QMap<QString, QJsonObject> terminals;
        for (const QByteArray& line : termctl({"list", "--json"}).split('\n')) {
            const QJsonObject terminal = QJsonDocument::fromJson(line).object();
            if (!terminal.isEmpty())
                terminals.insert(terminal.value("id").toString(), terminal);
        }
        return terminals;
    }

private slots:
    void initTestCase()
    {
        QByteArray output;
        QVERIFY2(Sandbox::sandbox({"lan", QString::number(Terminals)}, &output) == 0, output.constData());
        for (int k = 1; k <= Terminals; ++k) {
            const QString host = QStringLiteral("t%1").arg(k);
            const QString root = Sandbox::hostRoot(host);
            const QString identity = QStringLiteral("printf 'term-%1\\n%1\\n' > /etc/hostname_s").arg(k);
            QCOMPARE(Sandbox::sandbox({"host", host, "--", "sh", "-c", identity}), 0);
            auto agent = std::make_unique<AgentProcess>(host);
            QVERIFY(Sandbox::writeRecordingScript(agent->localDirectory() + "/getRDPinfo.sh",
                                                  {QStringLiteral("10.9.9.9|user%1|pw|3389").arg(k).toLatin1()}));
            QVERIFY(Sandbox::writeRecordingScript(root + "/opt/zoderer/login/reboot.sh"));
            QVERIFY(agent->install());
            QVERIFY(agent->start());
            agents.push_back(std::move(agent));
        }
        for (auto& agent : agents)
            QVERIFY(agent->waitForStderr("Terminclient version"));
    }

    void discoverListsEveryTerminal()
    {
        int status = -1;
        const QByteArray output = termctl({"discover", "--time", "1.5", "--json"}, &status);
        QCOMPARE(status, 0);
        QMap<QString, QJsonObject> reports;
        for (const QByteArray& line : output.split('\n')) {
            const QJsonObject report = QJsonDocument::fromJson(line).object();
            if (!report.isEmpty())
                reports.insert(report.value("ip").toString(), report);
        }
        QCOMPARE(reports.size(), Terminals);
        for (int k = 1; k <= Terminals; ++k) {
            const QJsonObject report = reports.value(address(k));
            QCOMPARE(report.value("hostName").toString(), QStringLiteral("term-%1").arg(k));
            QCOMPARE(report.value("id").toString(), QString::number(k));
            QCOMPARE(report.value("RDP_USER").toString(), QStringLiteral("user%1").arg(k));
            QCOMPARE(report.value("status").toString(), QString("connected"));
        }
        // The table form names every terminal too.
        const QByteArray table = termctl({"discover", "--time", "1"}, &status);
        QCOMPARE(status, 0);
        for (int k = 1; k <= Terminals; ++k)
            QVERIFY2(table.contains(address(k).toLatin1()), table.constData());
    }

    // discover and set-rdp record what they hear; a discovery sent to two
    // terminals reaches those two only.
    void inventoryKeepsWhatIsHeard()
    {
        const QMap<QString, QJsonObject> before = inventory();
        QCOMPARE(before.size(), Terminals); // the discovery above
        int status = -1;
        const QByteArray heard = termctl({"discover", "--time", "1", "--json", "--to", address(1),
                                          "--to", address(2)},
                                         &status);
        QCOMPARE(status, 0);
        QCOMPARE(heard.count("\"status\":\"connected\""), 2);
        termctl({"set-rdp", address(3), "--user", "user3"}, &status);
        QCOMPARE(status, 0);
        const QMap<QString, QJsonObject> after = inventory();
        QCOMPARE(after.size(), Terminals);
        for (int k = 1; k <= Terminals; ++k) {
            const QJsonObject& old = before[QString::number(k)];
            const QJsonObject& now = after[QString::number(k)];
            QCOMPARE(now.value("ip").toString(), address(k));
            QCOMPARE(now.value("hostName").toString(), QStringLiteral("term-%1").arg(k));
            QVERIFY(!now.value("mac").toString().isEmpty());
            QCOMPARE(now.value("firstSeen"), old.value("firstSeen"));
            QCOMPARE(now.value("lastSeen") != old.value("lastSeen"), k <= 3);
        }
    }

    // A wake-up packet for a known MAC goes to the broadcast of its subnet.
    void wakeReachesTheLan()
    {
        const std::unique_ptr<QUdpSocket> listener(Sandbox::udpSocket("t4", 9));
        QVERIFY(listener);
        QString mac = inventory()["2"].value("mac").toString();
        int status = -1;
        const QByteArray output = termctl({"wake", mac.toUpper().replace(':', '-')}, &status);
        QCOMPARE(status, 0);
        QVERIFY2(output.contains("192.168.1.255"), output.constData());
        QTRY_VERIFY(listener->hasPendingDatagrams());
        const QNetworkDatagram datagram = listener->receiveDatagram();
        QCOMPARE(datagram.senderAddress(), QHostAddress("192.168.1.1"));
        const QByteArray bytes = QByteArray::fromHex(mac.remove(':').toLatin1());
        QCOMPARE(bytes.size(), 6);
        QCOMPARE(datagram.data(), QByteArray(6, char(0xff)) + bytes.repeated(16));
    }

    void rebootExactlyTheListed()
    {
        int status = -1;
        termctl({"reboot", address(2), address(4)}, &status);
        QCOMPARE(status, 0);
        for (int k = 1; k <= Terminals; ++k) {
            AgentProcess& agent = *agents[k - 1];
            const QString reboot = Sandbox::hostRoot(QStringLiteral("t%1").arg(k))
                                   + "/opt/zoderer/login/reboot.sh";
            if (k == 2 || k == 4) {
                QVERIFY(agent.waitForExit(5000));
                QCOMPARE(agent.process().exitCode(), 0);
                QTRY_COMPARE(Sandbox::recordedCalls(reboot).size(), 1);
            } else {
                QVERIFY(agent.waitForStderr("reboot ip:  -1062731508"));
                QCOMPARE(agent.process().state(), QProcess::Running);
                QCOMPARE(Sandbox::recordedCalls(reboot).size(), 0);
            }
        }
        // The survivors still answer.
        const QByteArray output = termctl({"discover", "--time", "1", "--json"}, &status);
        QCOMPARE(output.count("\"status\":\"connected\""), Terminals - 2);
    }
};

SANDBOX_TEST_MAIN(TestLan)
#include "tst_lan.moc"
