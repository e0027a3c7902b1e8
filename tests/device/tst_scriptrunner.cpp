#include "sandboxtestmain.h"

#include "scriptrunner.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

// Every device script goes through ScriptRunner: arguments stay arguments,
// and a script that hangs is not waited for beyond its limit.
class TestScriptRunner : public QObject
{
    Q_OBJECT

    const QString script = QStringLiteral("/opt/test/script.sh");

private slots:
    void argumentsArriveUnchanged()
    {
        QVERIFY(Sandbox::writeRecordingScript(script, {"", 7}));
        const QStringList arguments{"a b", "", "'\"", "$(touch /tmp/x); rm -rf /", "\n", "*"};
        QCOMPARE(ScriptRunner::execute(script, arguments), 7);
        QCOMPARE(Sandbox::recordedCalls(script), QList<QStringList>{arguments});
        QVERIFY(!QFile::exists("/tmp/x"));
    }

    void missingProgram()
    {
        // The reason a start failed is logged.
        const QString failed = "^ScriptRunner::%1: \"/opt/test/absent.sh\" failed: \".+\"$";
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(failed.arg("execute")));
        QCOMPARE(ScriptRunner::execute("/opt/test/absent.sh"), -2);
        const ScriptRunner::Output output = ScriptRunner::read("/opt/test/absent.sh", {}, 1000);
        QVERIFY(!output.ok);
        QVERIFY(!output.errorText.isEmpty());
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(failed.arg("startDetached")));
        QVERIFY(!ScriptRunner::startDetached("/opt/test/absent.sh"));
    }

    void readsOutput()
    {
        QVERIFY(Sandbox::writeRecordingScript(script, {"a|b|c|1\n", 3}));
        const ScriptRunner::Output output = ScriptRunner::read(script, {"x"}, 5000);
        QVERIFY(output.ok);
        QCOMPARE(output.standardOutput, QByteArray("a|b|c|1\n"));
    }

    void slowScriptIsKilledAtTheLimit()
    {
        QVERIFY(Sandbox::writeFile(script, "#!/bin/sh\necho $$ > /opt/test/pid\nexec sleep 30\n", true));
        QElapsedTimer timer;
        timer.start();
        const ScriptRunner::Output output = ScriptRunner::read(script, {}, 500);
        QVERIFY(timer.elapsed() < 5000);
        QVERIFY(!output.ok);
        QVERIFY(!output.errorText.isEmpty());
        const QByteArray pid = Sandbox::readFile("/opt/test/pid").trimmed();
        QVERIFY(!pid.isEmpty());
        QTRY_VERIFY(!QFileInfo::exists("/proc/" + QString::fromLatin1(pid)));
    }

    void crashIsAnError()
    {
        QVERIFY(Sandbox::writeFile(script, "#!/bin/sh\necho x\nkill -SEGV $$\n", true));
        QVERIFY(!ScriptRunner::read(script, {}, 5000).ok);
        QCOMPARE(ScriptRunner::execute(script), -1);
    }

    void shellStartsNoUnreadableScript_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("reason");
        QTest::newRow("missing") << "/opt/test/absent.sh" << "no such file";
        QTest::newRow("directory") << "/opt/test" << "not a readable file";
    }

    void shellStartsNoUnreadableScript()
    {
        QFETCH(QString, path);
        QFETCH(QString, reason);
        QVERIFY(Sandbox::writeFile("/opt/test/file", ""));
        const QString warning = "ScriptRunner::%1: \"" + path + "\" failed: \"" + reason + "\"";
        QTest::ignoreMessage(QtWarningMsg, qPrintable(warning.arg("execute")));
        QCOMPARE(ScriptRunner::execute(path, {}, ScriptRunner::Via::Shell), -2);
        const ScriptRunner::Output output = ScriptRunner::read(path, {}, 1000, ScriptRunner::Via::Shell);
        QVERIFY(!output.ok);
        QCOMPARE(output.errorText, reason);
        QTest::ignoreMessage(QtWarningMsg, qPrintable(warning.arg("startDetached")));
        QVERIFY(!ScriptRunner::startDetached(path, {}, {}, ScriptRunner::Via::Shell));
    }

    void detachedRunsInGivenDirectory()
    {
        QVERIFY(Sandbox::writeFile(script, "#!/bin/sh\npwd > /opt/test/pwd.txt\n", true));
        QVERIFY(ScriptRunner::startDetached(script, {}, "/tmp"));
        QTRY_COMPARE(Sandbox::readFile("/opt/test/pwd.txt"), QByteArray("/tmp\n"));
    }

    void byteArgumentsArriveUnchanged()
    {
        QVERIFY(Sandbox::writeRecordingScript(script, {"", 7}));
        QCOMPARE(ScriptRunner::executeBytes(script, {"caf\xe9", "", "a b"}), 7);
        QCOMPARE(Sandbox::readFile(script + ".calls"), QByteArray("3\0caf\xe9\0\0a b\0", 12));
        QVERIFY(Sandbox::writeFile(script, "#!/bin/sh\nkill -SEGV $$\n", true));
        QCOMPARE(ScriptRunner::executeBytes(script, {}), -1);
        QCOMPARE(ScriptRunner::executeBytes("/opt/test/absent.sh", {}), -2);
    }
};

SANDBOX_TEST_MAIN(TestScriptRunner)
#include "tst_scriptrunner.moc"
