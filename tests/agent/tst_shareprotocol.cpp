#include "sandboxtestmain.h"
#include "outputcapture.h"

#include "setrdpinforequest.h"
#include "shareprotocol.h"
#include "terminalmsgrequest.h"
#include "terminalrebootrequest.h"
#include "terminalshutdown.h"
#include "terminalshutdownrequest.h"

#include <memory>

class TestShareProtocol : public QObject
{
    Q_OBJECT

private:
    // Unpacks text and returns the packet with what it traced.
    static std::unique_ptr<PreData> unpack(const QByteArray& text, QByteArray* traces)
    {
        OutputCapture capture(stdout);
        std::unique_ptr<PreData> packet(PreData::unpack(text.constData(), QVariant(42)));
        *traces = capture.text();
        return packet;
    }

private slots:
    void isShareProtocol()
    {
        QVERIFY(!PreData::isShareProtocol("##", 2));
        QVERIFY(PreData::isShareProtocol("##x", 3));
        QVERIFY(!PreData::isShareProtocol("#x#", 3));
        QVERIFY(!PreData::isShareProtocol("", 0));
    }

    void accepted_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("key");
        QTest::addColumn<QByteArray>("userId");
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("blanks before the brace")
            << QByteArray("##  {\"key\":\"TERMINALMSG_REQUEST\"}") << QByteArray("TERMINALMSG_REQUEST")
            << QByteArray() << QByteArray();
        QTest::newRow("garbage after the object")
            << QByteArray("##{\"key\":\"TERMINALMSG_REQUEST\"}garbage")
            << QByteArray("TERMINALMSG_REQUEST") << QByteArray() << QByteArray();
        QTest::newRow("two objects, the first wins")
            << QByteArray("##{\"key\":\"A\"}{\"key\":\"B\"}") << QByteArray("A") << QByteArray()
            << QByteArray();
        QTest::newRow("any member order and white space")
            << QByteArray("##\n{ \"content\" : \"c\",\n\"userId\":\"u1\", \"key\":\"K\" }")
            << QByteArray("K") << QByteArray("u1") << QByteArray("c");
        QTest::newRow("null and booleans")
            << QByteArray("##{\"key\":\"K\",\"userId\":null,\"content\":true}") << QByteArray("K")
            << QByteArray() << QByteArray("true");
        QTest::newRow("escapes") << QByteArray("##{\"key\":\"K\",\"content\":\"a\\\"b\\\\c\\n\\u0041\"}")
                                 << QByteArray("K") << QByteArray() << QByteArray("a\"b\\c\nA");
        QTest::newRow("latin-1 bytes pass through")
            << QByteArray("##{\"key\":\"K\",\"content\":\"caf\xe9\"}") << QByteArray("K")
            << QByteArray() << QByteArray("caf\xe9");
    }

    void accepted()
    {
        QFETCH(QByteArray, text);
        QByteArray traces;
        const auto packet = unpack(text, &traces);
        QVERIFY(packet);
        QFETCH(QByteArray, key);
        QFETCH(QByteArray, userId);
        QFETCH(QByteArray, content);
        QCOMPARE(QByteArray::fromStdString(packet->key), key);
        QCOMPARE(QByteArray::fromStdString(packet->userId), userId);
        QCOMPARE(QByteArray::fromStdString(packet->content), content);
        QCOMPARE(packet->extra, QVariant(42));
        QCOMPARE(traces, QByteArray());
    }

    void rejected_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("traces");
        const QByteArray protocol = "[## protocol error\n[## unpack error\n";
        const QByteArray json = "[## json parse error\n[## unpack error\n";
        const QByteArray unpackOnly = "[## unpack error\n";
        QTest::newRow("no brace") << QByteArray("##x") << protocol;
        QTest::newRow("trailing comma") << QByteArray("##{\"key\":\"TERMINALMSG_REQUEST\",}") << json;
        QTest::newRow("comment before a value") << QByteArray("##{\"key\":/*c*/\"K\"}") << json;
        QTest::newRow("no key") << QByteArray("##{\"userId\":\"u1\",\"content\":\"x\"}") << unpackOnly;
        QTest::newRow("empty key") << QByteArray("##{\"key\":\"\"}") << unpackOnly;
        QTest::newRow("brace then array") << QByteArray("##{[{\"key\":\"K\"}]") << json;
        QTest::newRow("array key") << QByteArray("##x{\"key\":[\"K\"]}") << unpackOnly;
        QTest::newRow("numeric key") << QByteArray("##{\"key\":5}") << unpackOnly;
        QTest::newRow("object content") << QByteArray("##{\"key\":\"K\",\"content\":{}}") << unpackOnly;
        QTest::newRow("array userId") << QByteArray("##{\"key\":\"K\",\"userId\":[]}") << unpackOnly;
        QTest::newRow("deep nesting")
            << QByteArray("##{\"key\":" + QByteArray(5000, '[') + QByteArray(5000, ']') + "}")
            << json;
        QTest::newRow("cut short") << QByteArray("##{\"key\":\"K") << json;
    }

    void rejected()
    {
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, traces);
        QByteArray written;
        QVERIFY(!unpack(text, &written));
        QCOMPARE(written, traces);
    }

    void textEndsAtNul()
    {
        QByteArray written;
        const QByteArray after("##{\"key\":\"K\"}\0{\"key\":\"L\"", 24);
        auto packet = unpack(after, &written);
        QVERIFY(packet);
        QCOMPARE(packet->key, std::string("K"));

        const QByteArray before("##\0{\"key\":\"K\"}", 14);
        QVERIFY(!unpack(before, &written));
        QCOMPARE(written, QByteArray("[## protocol error\n[## unpack error\n"));

        const QByteArray inside("##{\"key\":\"K\0\"}", 14);
        QVERIFY(!unpack(inside, &written));
        QCOMPARE(written, QByteArray("[## json parse error\n[## unpack error\n"));
    }

    void writtenForm()
    {
        QCOMPARE(PreData("A", "").toString(), std::string("##{\"content\":\"\",\"key\":\"A\",\"userId\":\"\"}\n"));
        PreData report("TERMINALMSG", "{\"a\":\"\\\"x\"}\n");
        const std::string expected =
            "##{\"content\":\"{\\\"a\\\":\\\"\\\\\\\"x\\\"}\\n\",\"key\":\"TERMINALMSG\",\"userId\":\"\"}"
            "\n";
        QCOMPARE(report.toString(), expected);
    }

    void copyDropsUserId()
    {
        QByteArray traces;
        const auto request =
            unpack("##{\"key\":\"TERMINALSHUTDOWN_REQUEST\",\"userId\":\"u1\",\"content\":\"[1]\"}", &traces);
        QVERIFY(request);
        QCOMPARE(request->userId, std::string("u1"));
        TerminalShutdown task(*request);
        QCOMPARE(task.key, std::string("TERMINALSHUTDOWN"));
        QCOMPARE(task.content, std::string("[1]"));
        QCOMPARE(task.extra, QVariant(42));
        const std::string expected = "##{\"content\":\"[1]\",\"key\":\"TERMINALSHUTDOWN\",\"userId\":\"\"}"
                                     "\n";
        QCOMPARE(task.toString(), expected);
    }

    void keysAreExact()
    {
        QVERIFY(TerminalMsgRequest::checkKey("TERMINALMSG_REQUEST"));
        QVERIFY(!TerminalMsgRequest::checkKey("terminalmsg_request"));
        QVERIFY(!TerminalMsgRequest::checkKey("TERMINALMSG_REQUEST "));
        QVERIFY(!TerminalMsgRequest::checkKey("TERMINALMSG"));
        QVERIFY(SetRdpinfoRequest::checkKey("SETRDPINFO_REQUEST"));
        QVERIFY(TerminalRebootRequest::checkKey("TERMINALREBOOT_REQUEST"));
        QVERIFY(TerminalShutdownRequest::checkKey("TERMINALSHUTDOWN_REQUEST"));
        QVERIFY(!TerminalShutdownRequest::checkKey("TERMINALSHUTDOWN"));
        QCOMPARE(TerminalMsgRequest().key, std::string("TERMINALMSG_REQUEST"));
    }
};

SANDBOX_TEST_MAIN(TestShareProtocol)
#include "tst_shareprotocol.moc"
