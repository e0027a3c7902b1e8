#include "launchertest.h"

#include <QProcess>

namespace {
const QString profiles = QStringLiteral("/opt/zoderer/configs/usrinfodir/");

// A launcher binary on the offscreen platform, as the terminal starts it.
class LauncherRun
{
public:
    explicit LauncherRun(const QString& program,
                         QProcessEnvironment environment = QProcessEnvironment::systemEnvironment())
    {
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        m_process.setProcessEnvironment(environment);
        m_process.start(program, {});
    }
    ~LauncherRun()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }
    QProcess m_process;
};
}

// The built programs, started as the terminal starts them.
class TestLauncherRun : public QObject
{
    Q_OBJECT

private slots:
    // The simulated terminal's tree, with a recording session script.
    void init()
    {
        QCOMPARE(Sandbox::run(SEED_TERMINAL_SCRIPT, {TERMINAL_SOURCE_DIR, TERMINAL_BINARY_DIR}), 0);
        QVERIFY(Sandbox::writeRecordingScript(LauncherFixture::scriptPath("connect.sh")));
    }

    // Without the network-type file the first indicator tick ends the launcher.
    void missingModeFileEndsTheLauncherWithStatusOne()
    {
        QFile::remove("/opt/zoderer/configs/network/Networkselection");
        LauncherRun run(LAUNCHER_PATH);
        QVERIFY(run.m_process.waitForFinished(15000));
        QCOMPARE(run.m_process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(run.m_process.exitCode(), 1);
        QVERIFY(run.m_process.readAllStandardError().contains(
            "\"/opt/zoderer/configs/network/wificonfigs/hotspotinfo/Networkselection open fail\""));
    }

    void liteConnectsThreeSecondsAfterStart()
    {
        QVERIFY(LauncherFixture::writeProfile("10.0.0.5", {"10.0.0.5", "ann", "pw", "3389", "", "1", "1"}));
        QVERIFY(Sandbox::writeFile(profiles + "connectfile", "10.0.0.5\n"));
        QVERIFY(Sandbox::writeFile(profiles + "autologin", "1\n"));
        LauncherRun run(LAUNCHER_LITE_PATH);
        const QString connect = LauncherFixture::scriptPath("connect.sh");
        QTRY_COMPARE_WITH_TIMEOUT(Sandbox::recordedCalls(connect).size(), 1, 15000);
        QCOMPARE(Sandbox::readFile(profiles + "connectfile"), QByteArray("10.0.0.5\nann\npw\n3389\n\n1\n1\n"));
        QCOMPARE(Sandbox::readFile(profiles + "autologin"), QByteArray("1\n"));
        QCOMPARE(run.m_process.state(), QProcess::Running);
    }

    // Qt's evdev keyboard ends the program on Ctrl+Alt+Backspace unless told
    // not to, which would let any user out of the kiosk. The session script,
    // started by the automatic connection, shows what the launcher runs with.
    void keyboardCannotEndTheLauncher_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QByteArray>("administrators");
        QTest::addColumn<QByteArray>("inEffect");
        QTest::newRow("launcher") << QString(LAUNCHER_PATH) << QByteArray() << QByteArray("disable-zap");
        QTest::newRow("launcher-lite") << QString(LAUNCHER_LITE_PATH) << QByteArray() << QByteArray("disable-zap");
        QTest::newRow("administrator's setting kept")
            << QString(LAUNCHER_PATH) << QByteArray("keymap=/etc/terminal.qmap") << QByteArray("keymap=/etc/terminal.qmap");
    }

    void keyboardCannotEndTheLauncher()
    {
        QFETCH(QString, program);
        QFETCH(QByteArray, administrators);
        QFETCH(QByteArray, inEffect);
        const QString connect = LauncherFixture::scriptPath("connect.sh");
        FakeScript recordsKeyboard;
        recordsKeyboard.commands = "printf '%s' \"${QT_QPA_EVDEV_KEYBOARD_PARAMETERS-unset}\" > /tmp/keyboard.seen\n";
        QVERIFY(Sandbox::writeRecordingScript(connect, recordsKeyboard));
        QFile::remove("/tmp/keyboard.seen");
        QVERIFY(LauncherFixture::writeProfile("10.0.0.5", {"10.0.0.5", "ann", "pw", "3389", "", "1", "1", "0", "3"}));
        QVERIFY(Sandbox::writeFile(profiles + "connectfile", "10.0.0.5\n"));
        QVERIFY(Sandbox::writeFile(profiles + "autologin", "1\n"));
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove("QT_QPA_EVDEV_KEYBOARD_PARAMETERS");
        if (!administrators.isNull())
            environment.insert("QT_QPA_EVDEV_KEYBOARD_PARAMETERS", QString::fromUtf8(administrators));
        LauncherRun run(program, environment);
        QTRY_COMPARE_WITH_TIMEOUT(Sandbox::recordedCalls(connect).size(), 1, 15000);
        QCOMPARE(Sandbox::readFile("/tmp/keyboard.seen"), inEffect);
    }
};

SANDBOX_GUI_TEST_MAIN(TestLauncherRun)
#include "tst_launcher_run.moc"
