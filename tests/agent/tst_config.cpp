#include "sandboxtestmain.h"

#include "agentpolicy.h"
#include "config.h"

#include <QBuffer>
#include <QDate>
#include <QHostAddress>
#include <QRegularExpression>

// Runs in a sandbox that starts with loopback only; the tests add the
// terminal's interfaces one by one.
class TestConfig : public QObject
{
    Q_OBJECT

private:
    static void ip(const QStringList& arguments)
    {
        QByteArray output;
        QVERIFY2(Sandbox::run("ip", arguments, &output) == 0, output.constData());
    }
    static void addInterface(const QString& spec)
    {
        QByteArray output;
        QVERIFY2(Sandbox::sandbox({"peer-if", spec}, &output) == 0, output.constData());
    }

private slots:
    void initTestCase()
    {
        // Read once, at the first use of the configuration.
        QVERIFY(Sandbox::writeFile("/etc/hostname_s", "  t01  \n7\nignored\n"));
    }

    void identity()
    {
        Config* config = Config::getInstance();
        QCOMPARE(config->hostName(), QString("t01"));
        QCOMPARE(config->id(), QString("7"));
        QCOMPARE(config->model(), QString("QB560_a20"));
        QCOMPARE(config->version(), QString("1.12"));
        QCOMPARE(config->udpPort(), quint16(9800));
        QCOMPARE(config->tcpPort(), quint16(9600));
        // The agent's own build date, which a build across midnight may
        // leave a day apart from this test's.
        QCOMPARE(config->compileDate().size(), 6);
        QVERIFY(QDate::fromString(config->compileDate(), "yyMMdd").isValid());
    }

    void hostNameFile_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("hostName");
        QTest::addColumn<QString>("id");
        QTest::newRow("one line") << QByteArray("term\n") << "term" << "";
        QTest::newRow("no line end") << QByteArray("term") << "term" << "";
        QTest::newRow("blanks around") << QByteArray("  t01  \n\t7 \n") << "t01" << "7";
        QTest::newRow("empty") << QByteArray() << "" << "";
        QTest::newRow("inner blanks kept") << QByteArray("my term\nA 1\nx\n") << "my term" << "A 1";
        QTest::newRow("crlf") << QByteArray("t02\r\n8\r\n") << "t02" << "8";
    }

    void hostNameFile()
    {
        QFETCH(QByteArray, text);
        QBuffer buffer(&text);
        QVERIFY(buffer.open(QIODevice::ReadOnly | QIODevice::Text));
        QString hostName, id;
        Config::readHostName(buffer, &hostName, &id);
        QTEST(hostName, "hostName");
        QTEST(id, "id");
    }

    void compileDate()
    {
        QCOMPARE(Config::compileDateFrom("Apr  4 2018"), QString("180404"));
        QCOMPARE(Config::compileDateFrom("Apr 24 2018"), QString("180424"));
        QCOMPARE(Config::compileDateFrom("Dec 31 1999"), QString("991231"));
    }

    // The interface steps build on each other, in this order.
    void loopbackOnly()
    {
        Config* config = Config::getInstance();
        QVERIFY(config->getAddress().isNull());
        QCOMPARE(config->getAddress().toString(), QString());
        QCOMPARE(config->getBroadcast(), 0u);
        QCOMPARE(config->getHardAdress(), QString());
    }

    void wlanOnly()
    {
        addInterface("wlan0=10.0.0.5/8");
        Config* config = Config::getInstance();
        QCOMPARE(config->getAddress(), QHostAddress("10.0.0.5"));
        QCOMPARE(config->getBroadcast(), QHostAddress("10.255.255.255").toIPv4Address());
        QCOMPARE(config->getHardAdress(), QString());
    }

    void wiredSortsFirst()
    {
        addInterface("eth0=192.168.1.20/24");
        Config* config = Config::getInstance();
        QCOMPARE(config->getAddress(), QHostAddress("192.168.1.20"));
        QCOMPARE(config->getBroadcast(), 3232236031u);
        const QString mac =
            QString::fromLatin1(Sandbox::readFile("/sys/class/net/eth0/address")).trimmed();
        QCOMPARE(config->getHardAdress().toLower(), mac);
    }

    void runningInterfaceFirst_data()
    {
        QTest::addColumn<QString>("eth0");
        QTest::addColumn<QString>("wlan0");
        QTest::addColumn<QString>("own");
        QTest::addColumn<QString>("broadcast");
        // A wire left down after switching to Wi-Fi, or unplugged, keeps its address.
        QTest::newRow("wired down") << "down" << "up" << "10.0.0.5" << "10.255.255.255";
        QTest::newRow("wired without carrier") << "no carrier" << "up" << "10.0.0.5" << "10.255.255.255";
        QTest::newRow("both down") << "down" << "down" << "192.168.1.20" << "192.168.1.255";
        // Last, so that both are up for the steps that follow.
        QTest::newRow("both up") << "up" << "up" << "192.168.1.20" << "192.168.1.255";
    }

    void runningInterfaceFirst()
    {
        QFETCH(QString, eth0);
        QFETCH(QString, wlan0);
        ip({"link", "set", "eth0", eth0 == "down" ? "down" : "up"});
        // The wire's other end is the console's.
        ip({"-n", "console", "link", "set", "p-eth0", eth0 == "no carrier" ? "down" : "up"});
        ip({"link", "set", "wlan0", wlan0});
        QFETCH(QString, own);
        QFETCH(QString, broadcast);
        Config* config = Config::getInstance();
        // A link that comes up runs a moment later.
        QTRY_COMPARE(config->getAddress(), QHostAddress(own));
        QCOMPARE(config->getBroadcast(), QHostAddress(broadcast).toIPv4Address());
    }

    void linkLocalOnlyDoesNotHideNextInterface()
    {
        ip({"addr", "del", "192.168.1.20/24", "dev", "eth0"});
        Config* config = Config::getInstance();
        QTRY_VERIFY(QNetworkInterface::interfaceFromName("eth0").addressEntries().size() > 0);
        QCOMPARE(config->getAddress(), QHostAddress("10.0.0.5"));
        QCOMPARE(config->getBroadcast(), QHostAddress("10.255.255.255").toIPv4Address());
        QVERIFY(!config->getHardAdress().isEmpty());
    }

    void broadcastFollowsAddressChange()
    {
        Config* config = Config::getInstance();
        QCOMPARE(config->getAddress(), QHostAddress("10.0.0.5"));
        ip({"addr", "add", "192.168.1.20/24", "brd", "+", "dev", "eth0"});
        // A report's destination is looked up first, before its own address.
        QCOMPARE(config->getBroadcast(), 3232236031u);
        ip({"addr", "flush", "dev", "eth0"});
        QCOMPARE(config->getBroadcast(), QHostAddress("10.255.255.255").toIPv4Address());
        ip({"addr", "add", "192.168.1.20/24", "brd", "+", "dev", "eth0"});
        QCOMPARE(config->getBroadcast(), 3232236031u);
    }

    void loopbackNeverUsed()
    {
        ip({"link", "del", "eth0"});
        ip({"link", "del", "wlan0"});
        QVERIFY(Config::getInstance()->getAddress().isNull());
        QCOMPARE(Config::getInstance()->getBroadcast(), 0u);
    }
};

SANDBOX_TEST_MAIN(TestConfig)
#include "tst_config.moc"
