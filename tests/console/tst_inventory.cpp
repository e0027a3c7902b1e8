// The console's inventory and what reads it, without a network: storage,
// two writers at once, list's selection, wake's packets and plan, and the
// command lines of list and wake.
#include "commandline.h"
#include "inventory.h"
#include "inventorylisting.h"
#include "inventoryquery.h"
#include "macaddress.h"
#include "wakeonlan.h"

#include "sandboxtestmain.h"

#include <QJsonDocument>
#include <QHostAddress>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QDateTime Now = QDateTime(QDate(2026, 3, 1), QTime(12, 0), Qt::UTC);

TerminalInfo report(const std::string& id, const std::string& mac, const std::string& ip)
{
    return TerminalInfo{id, "host-" + id, "QB560_a20", "1.12", ip, mac, "10.1.1.1", "3389",
                        "user", "pw-never-stored", "connected"};
}

Inventory::Terminal known(const std::string& id, const std::string& ip, const std::string& version,
                          int silentMinutes, const std::string& mac = std::string())
{
    Inventory::Terminal terminal;
    terminal.id = id;
    terminal.hostName = "h" + id;
    terminal.ip = ip;
    terminal.version = version;
    terminal.mac = mac;
    terminal.firstSeen = Now.addDays(-1);
    terminal.lastSeen = Now.addSecs(-60 * silentMinutes);
    return terminal;
}

QStringList ids(const std::vector<Inventory::Terminal>& terminals)
{
    QStringList ids;
    for (const auto& terminal : terminals)
        ids << QString::fromStdString(terminal.id);
    return ids;
}

} // namespace

class TestInventory : public QObject
{
    Q_OBJECT

    QTemporaryDir dir{QStringLiteral("/tmp/inventory-XXXXXX")};

private slots:
    void recordsTheNewestReport()
    {
        const QString path = dir.filePath("one/inventory.sqlite");
        QString error;
        {
            Inventory inventory(path);
            QVERIFY2(inventory.open(error), qPrintable(error));
            QVERIFY(inventory.record(report("7", "aa:bb:cc:dd:ee:07", "10.0.0.7"), Now, error));
            TerminalInfo moved = report("7", "aa:bb:cc:dd:ee:07", "10.0.0.8");
            QVERIFY(inventory.record(moved, Now.addSecs(60), error));
            moved.ip = "10.0.0.99"; // heard before the last one: changes nothing
            QVERIFY(inventory.record(moved, Now.addSecs(30), error));
            // Without an id a terminal is known by its MAC, however written.
            QVERIFY(inventory.record(report("", "AA-BB-CC-DD-EE-01", "10.0.0.1"), Now, error));
            const std::vector<TerminalInfo> batch{report("", "aa:bb:cc:dd:ee:01", "10.0.0.2"),
                                                  report("", "", "10.0.0.3")};
            QVERIFY(!inventory.record(batch, Now.addSecs(5), error));
            QVERIFY2(error.contains("10.0.0.3"), qPrintable(error));
        }
        Inventory inventory(path); // what another run finds
        QVERIFY(inventory.open(error));
        error.clear();
        const auto terminals = InventoryQuery().select(inventory.terminals(error), Now);
        QVERIFY(error.isEmpty());
        QCOMPARE(ids(terminals), (QStringList{"", "7"}));
        QCOMPARE(terminals[0].ip, std::string("10.0.0.2"));
        QCOMPARE(terminals[1].ip, std::string("10.0.0.8"));
        QCOMPARE(terminals[1].firstSeen, Now);
        QCOMPARE(terminals[1].lastSeen, Now.addSecs(60));

        const QJsonObject json = QJsonDocument::fromJson(
            InventoryListing::jsonLines({terminals[1]}).toUtf8()).object();
        QCOMPARE(json.value("id").toString(), QString("7"));
        QCOMPARE(json.value("hostName").toString(), QString("host-7"));
        QCOMPARE(json.value("mac").toString(), QString("aa:bb:cc:dd:ee:07"));
        QCOMPARE(json.value("version").toString(), QString("1.12"));
        QCOMPARE(json.value("firstSeen").toString(), QString("2026-03-01T12:00:00.000Z"));
        QCOMPARE(json.value("lastSeen").toString(), QString("2026-03-01T12:01:00.000Z"));
        QVERIFY(!json.contains("RDP_PASSWORD"));

        for (const QString& file : QDir(dir.filePath("one")).entryList(QDir::Files))
            QVERIFY2(!Sandbox::readFile(dir.filePath("one/" + file)).contains("pw-never-stored"),
                     qPrintable(file));
    }

    void twoProcessesLoseNothing()
    {
        constexpr int Each = 300;
        const QString path = dir.filePath("shared/inventory.sqlite");
        QProcess writers[2];
        for (int k = 0; k < 2; ++k) {
            writers[k].setProcessChannelMode(QProcess::ForwardedChannels);
            writers[k].start(INVENTORY_WRITER_PATH, {path, QStringLiteral("w%1").arg(k), QString::number(Each)});
        }
        for (QProcess& writer : writers) {
            QVERIFY(writer.waitForFinished(60000));
            QCOMPARE(writer.exitCode(), 0);
        }
        Inventory inventory(path);
        QString error;
        QVERIFY(inventory.open(error));
        const QStringList found = ids(inventory.terminals(error));
        QCOMPARE(found.size(), 2 * Each);
        for (int i = 0; i < Each; ++i) {
            QVERIFY(found.contains(QStringLiteral("w0-%1").arg(i)));
            QVERIFY(found.contains(QStringLiteral("w1-%1").arg(i)));
        }
    }

    void listSelects_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("all, by address") << QStringList{} << QStringList{"d", "b", "a", "c", "e"};
        QTest::newRow("offline 10") << QStringList{"--offline", "10"} << QStringList{"a", "c", "e"};
        QTest::newRow("offline 0") << QStringList{"--offline=0"} << QStringList{"d", "b", "a", "c", "e"};
        QTest::newRow("subnet") << QStringList{"--subnet", "192.168.2.0/24"} << QStringList{"a", "c"};
        QTest::newRow("host bits") << QStringList{"--subnet", "192.168.1.77/24"} << QStringList{"b"};
        QTest::newRow("version, any build") << QStringList{"--version", "1.12"} << QStringList{"d", "c"};
        QTest::newRow("by id") << QStringList{"--sort", "id"} << QStringList{"a", "b", "c", "d", "e"};
        QTest::newRow("by host") << QStringList{"--sort", "host"} << QStringList{"a", "b", "c", "d", "e"};
        QTest::newRow("by version, numbers as numbers") << QStringList{"--sort", "version"} << QStringList{"b", "a", "e", "d", "c"};
        QTest::newRow("by last seen") << QStringList{"--sort", "last-seen"} << QStringList{"c", "a", "e", "b", "d"};
        QTest::newRow("combined") << QStringList{"--offline", "5", "--version", "1.9", "--sort", "last-seen"}
                                  << QStringList{"a", "e"};
    }

    void listSelects()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, expected);
        const std::vector<Inventory::Terminal> terminals{
            known("a", "192.168.2.30", "1.9(2026-01-01)", 60), known("b", "192.168.1.5", "1.9(2026-01-01)", 2),
            known("c", "192.168.2.40", "1.12(2026-12-08)", 600), known("d", "10.0.0.1", "1.12(2026-12-08)", 0),
            known("e", "", "1.9(2026-01-01)", 10)};
        const CommandLine command = CommandLine::parse(QStringList{"list"} + arguments);
        QCOMPARE(command.action, CommandLine::Action::List);
        QCOMPARE(ids(command.query.select(terminals, Now)), expected);
    }

    void wakePackets_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("canonical"); // empty: refused
        QTest::newRow("colons") << "aa:bb:cc:dd:ee:0f" << "aa:bb:cc:dd:ee:0f";
        QTest::newRow("dashes, upper") << "AA-BB-CC-DD-EE-0F" << "aa:bb:cc:dd:ee:0f";
        QTest::newRow("mixed") << "aa:bb-cc:dd:ee:0f" << "";
        QTest::newRow("dots") << "aabb.ccdd.ee0f" << "";
        QTest::newRow("bare") << "aabbccddee0f" << "";
        QTest::newRow("short group") << "a:bb:cc:dd:ee:0f" << "";
        QTest::newRow("five") << "aa:bb:cc:dd:ee" << "";
        QTest::newRow("seven") << "aa:bb:cc:dd:ee:0f:11" << "";
        QTest::newRow("not hex") << "aa:bb:cc:dd:ee:0g" << "";
        QTest::newRow("blank") << " aa:bb:cc:dd:ee:0f" << "";
        QTest::newRow("empty") << "" << "";
    }

    void wakePackets()
    {
        QFETCH(QString, text);
        QFETCH(QString, canonical);
        const auto mac = MacAddress::parse(text.toStdString());
        QCOMPARE(mac.has_value(), !canonical.isEmpty());
        if (!mac) {
            QCOMPARE(CommandLine::parse({"wake", text}).action, CommandLine::Action::Invalid);
            return;
        }
        QCOMPARE(QString::fromStdString(MacAddress::text(*mac)), canonical);
        const QByteArray packet = WakeOnLan::magicPacket(*mac);
        QCOMPARE(packet.size(), 102);
        QCOMPARE(packet.left(6), QByteArray(6, char(0xff)));
        const QByteArray bytes = QByteArray::fromHex(canonical.toLatin1().replace(":", ""));
        QCOMPARE(packet.mid(6), bytes.repeated(16));
    }

    void wakePlan_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("packets"); // "MAC>destination"
        const QString a = "aa:00:00:00:00:01", b = "aa:00:00:00:00:02", c = "aa:00:00:00:00:03";
        QTest::newRow("known MAC") << QStringList{b} << QStringList{b + ">10.5.7.255"};
        QTest::newRow("unknown MAC") << QStringList{"aa-00-00-00-00-09"}
                                     << QStringList{"aa:00:00:00:00:09>255.255.255.255"};
        QTest::newRow("no address") << QStringList{c} << QStringList{c + ">255.255.255.255"};
        QTest::newRow("--to") << QStringList{b, "--to", "10.5.255.255"}
                              << QStringList{b + ">10.5.255.255"};
        QTest::newRow("all known") << QStringList{"--all-known"}
                                   << QStringList{a + ">192.168.1.255", b + ">10.5.7.255",
                                                  c + ">255.255.255.255"};
        QTest::newRow("subnet") << QStringList{"--subnet", "10.5.0.0/16"}
                                << QStringList{b + ">10.5.255.255"};
        QTest::newRow("subnet, --to") << QStringList{"--subnet", "192.168.1.0/24", "--to", "192.168.1.20"}
                                      << QStringList{a + ">192.168.1.20"};
    }

    void wakePlan()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, packets);
        const std::vector<Inventory::Terminal> terminals{
            known("a", "192.168.1.20", "", 0, "aa:00:00:00:00:01"),
            known("b", "10.5.7.3", "", 0, "AA-00-00-00-00-02"), known("c", "", "", 0, "aa:00:00:00:00:03"),
            known("d", "192.168.1.21", "", 0, "not a mac")};
        const CommandLine command = CommandLine::parse(QStringList{"wake"} + arguments);
        QCOMPARE(command.action, CommandLine::Action::Wake);
        QStringList planned;
        for (const WakeOnLan::Packet& packet : WakeOnLan::plan(command.wake, terminals))
            planned << QString::fromStdString(MacAddress::text(packet.mac)) + ">"
                           + QHostAddress(packet.destination).toString();
        QCOMPARE(planned, packets);
    }
};

SANDBOX_TEST_MAIN(TestInventory)
#include "tst_inventory.moc"
