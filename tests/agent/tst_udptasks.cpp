#include "sandboxtestmain.h"

#include "mylib.h"
#include "setrdpinfo.h"
#include "targetlist.h"
#include "terminalinfo.h"

#include <QDir>
#include <QTemporaryDir>

// The plain logic of the datagram requests: the settings script's output,
// the settings request, the reboot list and the report text.
class TestUdpTasks : public QObject
{
    Q_OBJECT

private slots:
    void settingsOutput_data()
    {
        QTest::addColumn<QByteArray>("output");
        QTest::addColumn<QString>("server");
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("password");
        QTest::addColumn<int>("port");
        QTest::newRow("four fields, line end") << QByteArray("10.1.1.1|alice|s3cret|3389\n")
                                               << "10.1.1.1" << "alice" << "s3cret" << 3389;
        QTest::newRow("three fields") << QByteArray("a|b|c") << "" << "" << "" << -1;
        QTest::newRow("empty") << QByteArray() << "" << "" << "" << -1;
        QTest::newRow("port with junk") << QByteArray("a|b|c| 3389x") << "a" << "b" << "c" << 3389;
        QTest::newRow("port letters") << QByteArray("a|b|c|x") << "a" << "b" << "c" << 0;
        QTest::newRow("negative port") << QByteArray("a|b|c|-5") << "a" << "b" << "c" << -5;
        QTest::newRow("port beyond int") << QByteArray("a|b|c|99999999999") << "a" << "b" << "c" << 0;
        QTest::newRow("password with |") << QByteArray("a|b|c|1|e|22") << "a" << "b" << "c|1|e" << 22;
        QTest::newRow("password of |") << QByteArray("a|b|||22") << "a" << "b" << "|" << 22;
        QTest::newRow("inner blanks kept") << QByteArray("  a b| u |p w|22 \n") << "a b" << " u "
                                           << "p w" << 22;
        QTest::newRow("empty fields") << QByteArray("|||") << "" << "" << "" << 0;
        QTest::newRow("latin-1") << QByteArray("h\xe9|u|p|1") << QString::fromLatin1("h\xe9") << "u"
                                 << "p" << 1;
    }

    void settingsOutput()
    {
        QFETCH(QByteArray, output);
        const RDP_Info info = Provider::parseRDPInfo(output);
        QTEST(info.serverAddress, "server");
        QTEST(info.user, "user");
        QTEST(info.password, "password");
        QTEST(info.port, "port");
    }

    void settingsRequest()
    {
        bool invalid = true;
        auto settings = SetRdpinfo::parseSettings(
            "{\"RDP_IP\":\"10.1.1.1\",\"RDP_USER\":\"a b\",\"RDP_PASSWORD\":\"\\\"x\\\";$(id)\","
            "\"RDP_PORT\":\"3389\"}",
            &invalid);
        QVERIFY(settings);
        QVERIFY(!invalid);
        QCOMPARE(settings->address, QString("10.1.1.1"));
        QCOMPARE(settings->user, QString("a b"));
        QCOMPARE(settings->password, QString("\"x\";$(id)"));
        QCOMPARE(settings->port, QString("3389"));

        settings = SetRdpinfo::parseSettings("{}", &invalid);
        QVERIFY(settings);
        QVERIFY(settings->address.isEmpty() && settings->user.isEmpty()
                && settings->password.isEmpty() && settings->port.isEmpty());

        settings = SetRdpinfo::parseSettings("{\"RDP_IP\":null,\"RDP_USER\":true}", &invalid);
        QVERIFY(settings);
        QCOMPARE(settings->user, QString("true"));
    }

    void settingsRequestRejected_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("invalidMember");
        QTest::newRow("not json") << QByteArray("RDP_IP=1") << false;
        QTest::newRow("empty") << QByteArray() << false;
        QTest::newRow("string root") << QByteArray("\"x\"") << false;
        QTest::newRow("numeric port") << QByteArray("{\"RDP_PORT\":3389}") << true;
        QTest::newRow("object member") << QByteArray("{\"RDP_IP\":{}}") << true;
        QTest::newRow("array member") << QByteArray("{\"RDP_USER\":[\"a\"]}") << true;
        QTest::newRow("array root") << QByteArray("[\"RDP_IP\"]") << true;
    }

    void settingsRequestRejected()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, invalidMember);
        bool invalid = !invalidMember;
        QVERIFY(!SetRdpinfo::parseSettings(content.toStdString(), &invalid));
        QCOMPARE(invalid, invalidMember);
    }

    // Values the device could not store as they are change nothing; the
    // update script is not even started.
    void settingsRefused_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("refusal");
        QTest::newRow("password with |") << QByteArray(R"({"RDP_IP":"h","RDP_PASSWORD":"a|b|c"})") << "";
        QTest::newRow("255 bytes") << "{\"RDP_PASSWORD\":\"" + QByteArray(255, '\xe9') + "\"}" << "";
        QTest::newRow("256 bytes") << "{\"RDP_PASSWORD\":\"" + QByteArray(256, 'p') + "\"}"
                                   << "RDP_PASSWORD is longer than 255 bytes";
        QTest::newRow("line feed") << QByteArray(R"({"RDP_USER":"u\ndomain=x"})")
                                   << "RDP_USER holds a control character";
        QTest::newRow("NUL") << QByteArray(R"({"RDP_PASSWORD":"a\u0000b"})")
                             << "RDP_PASSWORD holds a control character";
        QTest::newRow("DEL") << QByteArray("{\"RDP_IP\":\"h\x7f\"}") << "RDP_IP holds a control character";
        QTest::newRow("| in server") << QByteArray(R"({"RDP_IP":"h|u"})") << "RDP_IP holds a \"|\"";
        QTest::newRow("| in user") << QByteArray(R"({"RDP_USER":"|"})") << "RDP_USER holds a \"|\"";
        QTest::newRow("| in port") << QByteArray(R"({"RDP_PORT":"1|2"})") << "RDP_PORT holds a \"|\"";
    }

    void settingsRefused()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, refusal);
        QTemporaryDir dir;
        QVERIFY(QDir::setCurrent(dir.path()));
        const QString update = dir.path() + "/updateRDPinfo.sh";
        QVERIFY(Sandbox::writeRecordingScript(update));
        bool invalid = true;
        const auto settings = SetRdpinfo::parseSettings(content.toStdString(), &invalid);
        QVERIFY(settings);
        QCOMPARE(SetRdpinfo::refusal(*settings), refusal);
        (new SetRdpinfo(PreData("SETRDPINFO_REQUEST", content.toStdString())))->dealTask();
        QCOMPARE(Sandbox::recordedCalls(update).size(), refusal.isEmpty() ? 1 : 0);
    }

    void targetList_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<QList<qint32>>("targets");
        QTest::newRow("signed address") << QByteArray("[-1062731500]") << true
                                        << QList<qint32>{-1062731500};
        QTest::newRow("two") << QByteArray("[167772165, -1062731500]") << true
                             << QList<qint32>{167772165, -1062731500};
        QTest::newRow("twice") << QByteArray("[-1062731500,-1062731500]") << true
                               << QList<qint32>{-1062731500, -1062731500};
        QTest::newRow("extremes") << QByteArray("[-2147483648,2147483647]") << true
                                  << QList<qint32>{INT32_MIN, INT32_MAX};
        QTest::newRow("null false true") << QByteArray("[null,false,true]") << true
                                         << QList<qint32>{0, 0, 1};
        QTest::newRow("fraction") << QByteArray("[167772165.9,-3.5]") << true
                                  << QList<qint32>{167772165, -3};
        QTest::newRow("unsigned form") << QByteArray("[3232235796]") << false << QList<qint32>{};
        QTest::newRow("below range") << QByteArray("[-2147483649]") << false << QList<qint32>{};
        QTest::newRow("huge") << QByteArray("[1e300]") << false << QList<qint32>{};
        QTest::newRow("string element") << QByteArray("[167772165,\"192.168.1.20\"]") << false
                                        << QList<qint32>{};
        QTest::newRow("nested array") << QByteArray("[[167772165]]") << false << QList<qint32>{};
        QTest::newRow("object element") << QByteArray("[{}]") << false << QList<qint32>{};
        QTest::newRow("empty") << QByteArray("[]") << false << QList<qint32>{};
        QTest::newRow("object") << QByteArray("{}") << false << QList<qint32>{};
        QTest::newRow("bare number") << QByteArray("167772165") << false << QList<qint32>{};
        QTest::newRow("not json") << QByteArray("[1,") << false << QList<qint32>{};
    }

    void targetList()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, valid);
        QFETCH(QList<qint32>, targets);
        const auto parsed = TargetList::parse(content.toStdString());
        QCOMPARE(parsed.has_value(), valid);
        if (valid)
            QCOMPARE(QList<qint32>(parsed->begin(), parsed->end()), targets);
    }

    void reportContent()
    {
        TerminalInfo info{"7", "t01", "QB560_a20", "1.12(180424)", "192.168.1.20",
                          "AA:BB:CC:00:11:22", "10.1.1.1", "3389", "alice", "p\"w", "connected"};
        const std::string expected =
            "{\"RDP_IP\":\"10.1.1.1\",\"RDP_PASSWORD\":\"p\\\"w\",\"RDP_PORT\":\"3389\","
            "\"RDP_USER\":\"alice\",\"hostName\":\"t01\",\"id\":\"7\",\"ip\":\"192.168.1.20\","
            "\"mac\":\"AA:BB:CC:00:11:22\",\"model\":\"QB560_a20\",\"status\":\"connected\","
            "\"version\":\"1.12(180424)\"}"
            "\n";
        QCOMPARE(info.toContent(), expected);
    }
};

SANDBOX_TEST_MAIN(TestUdpTasks)
#include "tst_udptasks.moc"
