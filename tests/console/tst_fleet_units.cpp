// The fleet commands' logic without a socket: address ranges, the order of a
// rollout and how a reported version is read.
#include "addressrange.h"
#include "rolloutplan.h"
#include "versiontext.h"

#include "sandboxtestmain.h"

#include <QHostAddress>
#include <QtTest>

using Result = RolloutPlan::Result;

namespace {

std::vector<quint32> hosts(std::initializer_list<quint32> last)
{
    std::vector<quint32> addresses;
    for (const quint32 n : last)
        addresses.push_back(0xc0a80100u + n); // 192.168.1.n
    return addresses;
}

QString letter(Result result)
{
    return QString(QLatin1Char("pdcuf"[int(result)]));
}

} // namespace

class TestFleetUnits : public QObject
{
    Q_OBJECT

private slots:
    void addressRanges_data()
    {
        QTest::addColumn<QStringList>("words");
        QTest::addColumn<int>("count"); // -1: refused
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("last");
        QTest::newRow("one address") << QStringList{"10.0.0.7"} << 1 << "10.0.0.7" << "10.0.0.7";
        QTest::newRow("/24 without network and broadcast")
            << QStringList{"192.168.1.77/24"} << 254 << "192.168.1.1" << "192.168.1.254";
        QTest::newRow("/22 sweep") << QStringList{"10.1.4.0/22"} << 1022 << "10.1.4.1" << "10.1.7.254";
        QTest::newRow("/30 two hosts") << QStringList{"10.0.0.4/30"} << 2 << "10.0.0.5" << "10.0.0.6";
        QTest::newRow("/31 both") << QStringList{"10.0.0.4/31"} << 2 << "10.0.0.4" << "10.0.0.5";
        QTest::newRow("/32 itself") << QStringList{"10.0.0.4/32"} << 1 << "10.0.0.4" << "10.0.0.4";
        QTest::newRow("repeats once, order kept")
            << QStringList{"10.0.0.9", "10.0.0.8/31", "10.0.0.9", "10.0.0.1"} << 3 << "10.0.0.9"
            << "10.0.0.1";
        QTest::newRow("/16 is the most") << QStringList{"172.16.0.0/16"} << 65534 << "172.16.0.1"
                                         << "172.16.255.254";
        QTest::newRow("/15 too many") << QStringList{"172.16.0.0/15"} << -1 << "" << "";
        QTest::newRow("sum too many")
            << QStringList{"172.16.0.0/16", "172.17.0.0/24"} << -1 << "" << "";
        QTest::newRow("prefix 33") << QStringList{"10.0.0.0/33"} << -1 << "" << "";
        QTest::newRow("empty prefix") << QStringList{"10.0.0.0/"} << -1 << "" << "";
        QTest::newRow("signed prefix") << QStringList{"10.0.0.0/+8"} << -1 << "" << "";
        QTest::newRow("bad address") << QStringList{"10.0.0/24"} << -1 << "" << "";
    }
    void addressRanges()
    {
        QFETCH(QStringList, words);
        QFETCH(int, count);
        QString error;
        const auto addresses = AddressRange::expand(words, error);
        QCOMPARE(addresses.has_value(), count >= 0);
        if (!addresses) {
            QVERIFY(!error.isEmpty());
            return;
        }
        QCOMPARE(int(addresses->size()), count);
        QFETCH(QString, first);
        QFETCH(QString, last);
        QCOMPARE(QHostAddress(addresses->front()).toString(), first);
        QCOMPARE(QHostAddress(addresses->back()).toString(), last);
    }

    // Each row: targets, the ones done before, batch size, failure limit,
    // the targets that fail or are already current; what comes out is the
    // batches as taken ("11 12|13") and every target's result by letter
    // (p pending, d done before, c current, u updated, f failed).
    void plan_data()
    {
        QTest::addColumn<std::vector<quint32>>("targets");
        QTest::addColumn<std::set<quint32>>("done");
        QTest::addColumn<int>("batch");
        QTest::addColumn<int>("maxFailures");
        QTest::addColumn<std::set<quint32>>("failing");
        QTest::addColumn<std::set<quint32>>("current");
        QTest::addColumn<QString>("batches");
        QTest::addColumn<QString>("results");
        QTest::addColumn<bool>("succeeded");
        const std::vector<quint32> five = hosts({11, 12, 13, 14, 15});
        const auto at = [](std::initializer_list<quint32> last) {
            const std::vector<quint32> list = hosts(last);
            return std::set<quint32>(list.begin(), list.end());
        };
        QTest::newRow("all in batches of two")
            << five << at({}) << 2 << 1 << at({}) << at({}) << "11 12|13 14|15" << "uuuuu" << true;
        QTest::newRow("one batch holds all") << five << at({}) << 10 << 1 << at({}) << at({13})
                                             << "11 12 13 14 15" << "uucuu" << true;
        QTest::newRow("first failure stops after its batch")
            << five << at({}) << 2 << 1 << at({12}) << at({}) << "11 12" << "ufppp" << false;
        QTest::newRow("below the limit goes on")
            << five << at({}) << 2 << 2 << at({12}) << at({}) << "11 12|13 14|15" << "ufuuu" << false;
        QTest::newRow("limit reached in a later batch")
            << five << at({}) << 2 << 2 << at({12, 14}) << at({}) << "11 12|13 14" << "ufufp" << false;
        QTest::newRow("done before are skipped, batches stay full")
            << five << at({11, 13}) << 2 << 1 << at({}) << at({14}) << "12 14|15" << "dudcu" << true;
        QTest::newRow("everything done before")
            << hosts({11, 12}) << at({11, 12}) << 2 << 1 << at({}) << at({}) << "" << "dd" << true;
        QTest::newRow("a failure in the last batch")
            << hosts({11, 12, 13}) << at({}) << 1 << 1 << at({13}) << at({}) << "11|12|13" << "uuf" << false;
    }
    void plan()
    {
        QFETCH(std::vector<quint32>, targets);
        QFETCH(std::set<quint32>, done);
        QFETCH(int, batch);
        QFETCH(int, maxFailures);
        QFETCH(std::set<quint32>, failing);
        QFETCH(std::set<quint32>, current);
        QFETCH(QString, batches);
        QFETCH(QString, results);
        QFETCH(bool, succeeded);

        RolloutPlan plan(targets, done, batch, maxFailures);
        QStringList taken;
        for (std::vector<quint32> next; !(next = plan.nextBatch()).empty();) {
            QVERIFY(int(next.size()) <= batch);
            QStringList names;
            for (const quint32 target : next) {
                names << QString::number(target & 0xff);
                plan.settle(target, failing.count(target)   ? Result::Failed
                                    : current.count(target) ? Result::Current
                                                            : Result::Updated);
            }
            taken << names.join(QLatin1Char(' '));
        }
        QCOMPARE(taken.join(QLatin1Char('|')), batches);
        QString letters;
        for (const quint32 target : targets)
            letters += letter(plan.result(target));
        QCOMPARE(letters, results);
        QCOMPARE(plan.succeeded(), succeeded);
    }

    // How a reported version compares with one asked for: a match, and
    // whether it sorts before it.
    void versions_data()
    {
        QTest::addColumn<QString>("reported");
        QTest::addColumn<QString>("asked");
        QTest::addColumn<bool>("matches");
        QTest::addColumn<bool>("before");
        QTest::newRow("same") << "1.13" << "1.13" << true << false;
        QTest::newRow("with the build date") << "1.13(2026-12-08)" << "1.13" << true << false;
        QTest::newRow("the whole text") << "1.13(2026-12-08)" << "1.13(2026-12-08)" << true << false;
        QTest::newRow("longer number") << "1.130" << "1.13" << false << false;
        QTest::newRow("older") << "1.12(2026-12-08)" << "1.13" << false << true;
        QTest::newRow("numbers, not text") << "1.9(2026-12-08)" << "1.12" << false << true;
        QTest::newRow("earlier build") << "1.12(2026-01-02)" << "1.12(2026-12-08)" << false << true;
        QTest::newRow("nothing reported") << "" << "1.13" << false << true;
    }
    void versions()
    {
        QFETCH(QString, reported);
        QFETCH(QString, asked);
        QFETCH(bool, matches);
        QFETCH(bool, before);
        QCOMPARE(VersionText::matches(reported.toStdString(), asked.toStdString()), matches);
        QCOMPARE(VersionText::less(reported.toStdString(), asked.toStdString()), before);
    }
};

SANDBOX_TEST_MAIN(TestFleetUnits)
#include "tst_fleet_units.moc"
