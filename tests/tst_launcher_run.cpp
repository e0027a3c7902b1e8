#include "launchertest.h"

#include <QProcess>

namespace {
const QString profiles = QStringLiteral("/opt/zoderer/configs/usrinfodir/");

// A launcher binary on the offscreen platform, as the terminal starts it.
class LauncherRun
{
public:
    explicit LauncherRun(const QString& program)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
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
};

SANDBOX_GUI_TEST_MAIN(TestLauncherRun)
#include "tst_launcher_run.moc"
