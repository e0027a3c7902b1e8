#include "sandboxtestmain.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QStandardPaths>

#include <memory>

#include <signal.h>

namespace {
const QString connectScript = QStringLiteral("/opt/zoderer/login/connect.sh");
const QString connectFile = QStringLiteral("/opt/zoderer/configs/usrinfodir/connectfile");
const QString user = QStringLiteral("alice");
const QString domain = QStringLiteral("WORKGROUP");
const QString password = QStringLiteral("Pw-7c1e9f3a-secret");
const QString consoleTmp = Sandbox::hostRoot(QStringLiteral("console")) + QStringLiteral("/tmp");
const QString fakeClientDir = QStringLiteral("/tmp/fakeclient");
const QString serverLog = QStringLiteral("/tmp/rdpserver.log");

int authenticationFailures()
{
    return int(Sandbox::readFile(serverLog).count("client authentication failure"));
}

// Logons whose credentials the server checked and accepted (its NLA
// security context completed).
int acceptedLogons()
{
    return int(Sandbox::readFile(serverLog).count("AcceptSecurityContext status SEC_I_COMPLETE_NEEDED"));
}

QStringList onConsole(const QStringList& command)
{
    return QStringList{QStringLiteral("host"), QStringLiteral("console"), QStringLiteral("--")} + command;
}

// A program kept running for the test, stopped (by its own pid) at the end.
std::unique_ptr<QProcess> startProgram(const QString& program, const QStringList& arguments,
                                       const QProcessEnvironment& environment
                                       = QProcessEnvironment::systemEnvironment(),
                                       const QString& output = QProcess::nullDevice())
{
    auto process = std::make_unique<QProcess>();
    process->setProcessEnvironment(environment);
    process->setStandardOutputFile(output, QIODevice::Append);
    process->setProcessChannelMode(QProcess::MergedChannels);
    process->start(program, arguments);
    process->waitForStarted(5000);
    return process;
}

void stop(std::unique_ptr<QProcess>& process)
{
    if (process && process->state() != QProcess::NotRunning) {
        process->terminate();
        if (!process->waitForFinished(5000)) {
            process->kill();
            process->waitForFinished(5000);
        }
    }
    process.reset();
}

// Established RDP connections the server side sees.
int sessions()
{
    QByteArray output;
    Sandbox::sandbox(onConsole({"ss", "-Htn", "state", "established", "sport", "=", ":3389"}), &output);
    return int(output.count('\n'));
}

bool listening()
{
    QByteArray output;
    Sandbox::sandbox(onConsole({"ss", "-Htln", "sport", "=", ":3389"}), &output);
    return !output.trimmed().isEmpty();
}

// Every process's argument list and environment, as anyone on the machine could read them.
QStringList processesShowing(const QByteArray& secret)
{
    QStringList found;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString& pid : entries) {
        if (pid.toInt() <= 0)
            continue;
        for (const char* part : {"/cmdline", "/environ"}) {
            if (Sandbox::readFile("/proc/" + pid + QLatin1String(part)).contains(secret))
                found.append(pid + QLatin1String(part));
        }
    }
    return found;
}

QStringList connectLog()
{
    return Sandbox::loggedLines(QStringLiteral("connect.sh"));
}

// The processes whose parent is parent and whose argument list contains part.
QList<pid_t> childrenRunning(qint64 parent, const QByteArray& part)
{
    QList<pid_t> found;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString& pid : entries) {
        if (pid.toInt() <= 0)
            continue;
        // "pid (name) state ppid ...": the name may hold spaces, so read after its ")".
        const QByteArray stat = Sandbox::readFile("/proc/" + pid + "/stat");
        const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 1 && fields.at(1).toLongLong() == parent
            && Sandbox::readFile("/proc/" + pid + "/cmdline").contains(part))
            found.append(pid_t(pid.toInt()));
    }
    return found;
}

QProcessEnvironment clientEnvironment()
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("DISPLAY", ":2");
    environment.insert("HOME", "/tmp/home");
    environment.insert("RDP_RETRY_DELAY", "1");
    environment.insert("RDP_RETRIES", "3");
    environment.insert("RDP_STABLE_SECONDS", "2");
    return environment;
}

bool writeConnection(const QString& secret)
{
    return Sandbox::writeFile(connectFile, QStringList{"192.168.1.1", user, secret, "3389", domain, "1", "0", "10", "5"}
                                              .join('\n')
                                              .toUtf8()
                                              + '\n');
}
}

// The session script against a real RDP server (FreeRDP's shadow server on
// an Xvfb screen in the "console" namespace, checking NLA credentials from a
// SAM file that holds only the profile's user), with the real client on a
// second Xvfb in the terminal's namespace.
class TestRdpSession : public QObject
{
    Q_OBJECT

    std::unique_ptr<QProcess> m_serverScreen;
    std::unique_ptr<QProcess> m_clientScreen;
    std::unique_ptr<QProcess> m_server;

    void startServer()
    {
        m_server = startProgram(Sandbox::script(),
                                onConsole({"env", "HOME=/tmp/srvhome", "DISPLAY=:1", "freerdp-shadow-cli",
                                           "/port:3389", "-auth", "/sec:nla", "/sam-file:/tmp/sam"}),
                                QProcessEnvironment::systemEnvironment(), serverLog);
        QTRY_VERIFY2_WITH_TIMEOUT(listening(), Sandbox::readFile(serverLog).right(2000).constData(), 20000);
    }

    void stopServer()
    {
        stop(m_server);
        QTRY_VERIFY_WITH_TIMEOUT(!listening(), 5000);
    }

private slots:
    void init() { QFile::remove(QStringLiteral("/tmp/sandbox-calls.log")); }

    void initTestCase()
    {
        QFile::remove(serverLog);
        for (const char* program : {"xfreerdp", "freerdp-shadow-cli", "Xvfb"})
            QVERIFY2(!QStandardPaths::findExecutable(program).isEmpty(),
                     qPrintable(QStringLiteral("%1 is missing: scripts/install-deps.sh installs it").arg(program)));
        QVERIFY(Sandbox::installDeviceLayer());
        QVERIFY(QDir().mkpath("/tmp/home"));
        // The server's user database: the profile's user and domain with the
        // NT hash of the password (MD4 of its UTF-16LE form), nothing else.
        const QByteArray utf16(reinterpret_cast<const char*>(password.utf16()), password.size() * 2);
        const QByteArray hash = QCryptographicHash::hash(utf16, QCryptographicHash::Md4).toHex();
        QVERIFY(Sandbox::writeFile(consoleTmp + "/sam", (user + ":" + domain + "::").toUtf8() + hash + ":::\n"));

        m_serverScreen = startProgram(Sandbox::script(), onConsole({"Xvfb", ":1", "-noreset", "-screen", "0", "800x600x24"}));
        m_clientScreen = startProgram("Xvfb", {":2", "-noreset", "-screen", "0", "800x600x24"});
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(consoleTmp + "/.X11-unix/X1"), 10000);
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists("/tmp/.X11-unix/X2"), 10000);
        startServer();
    }

    void cleanupTestCase()
    {
        stop(m_server);
        stop(m_clientScreen);
        stop(m_serverScreen);
    }

    // A session comes up with the profile's credentials, the password shows
    // in no argument list or environment, and when the server goes away and
    // comes back the script, still running, opens a new session.
    void sessionSurvivesServerRestart()
    {
        QVERIFY(writeConnection(password));
        auto session = startProgram(connectScript, {}, clientEnvironment());
        QTRY_COMPARE_WITH_TIMEOUT(sessions(), 1, 20000);
        QCOMPARE(processesShowing(password.toUtf8()), QStringList());

        stopServer();
        startServer();
        QTRY_COMPARE_WITH_TIMEOUT(sessions(), 1, 20000);
        QCOMPARE(session->state(), QProcess::Running);
        QCOMPARE(processesShowing(password.toUtf8()), QStringList());
        // The server checked the credentials and accepted them.
        QCOMPARE(authenticationFailures(), 0);
        const QStringList log = connectLog();
        QVERIFY2(!log.filter(QRegularExpression("connection to 192.168.1.1 lost .*: reconnect 1 of 3")).isEmpty(),
                 qPrintable(log.join('\n')));
        QVERIFY(log.filter("connecting to 192.168.1.1 port 3389 as user 'alice' domain 'WORKGROUP'").size() >= 2);
        QVERIFY(Sandbox::standinCalls().filter(password).isEmpty());

        // Stopping the script ends the session with it.
        session->terminate();
        QVERIFY(session->waitForFinished(5000));
        QTRY_COMPARE_WITH_TIMEOUT(sessions(), 0, 5000);
    }

    // The built launcher, on a seeded terminal with the reference session
    // script, connects automatically to the profile of the server: the server
    // accepts the profile's user and password, which show in no process's
    // argument list or environment.
    void launcherConnectsWithTheProfile()
    {
        const QString profiles = QStringLiteral("/opt/zoderer/configs/usrinfodir/");
        QCOMPARE(Sandbox::run(SEED_TERMINAL_SCRIPT, {TERMINAL_SOURCE_DIR, TERMINAL_BINARY_DIR}), 0);
        // The seed installs the simulated session script; the reference one
        // (with its library) replaces it.
        for (const char* name : {"connect.sh", "devicelib.sh"}) {
            const QByteArray script = Sandbox::readFile(QStringLiteral(TERMINAL_SOURCE_DIR "/device/login/") + name);
            QVERIFY(!script.isEmpty());
            QVERIFY(Sandbox::writeFile(QStringLiteral("/opt/zoderer/login/") + name, script, true));
        }
        // Address, user, password, port, domain, remembered, automatic
        // connection, protocol version, countdown (the shortest, 3 s).
        QVERIFY(Sandbox::writeFile(profiles + "192.168.1.1.usr",
                                   QStringList{"192.168.1.1", user, password, "3389", domain, "1", "1", "0", "3"}
                                       .join('\n')
                                       .toUtf8()
                                       + '\n'));
        QVERIFY(Sandbox::writeFile(profiles + "connectfile", "192.168.1.1\n"));
        QVERIFY(Sandbox::writeFile(profiles + "autologin", "1\n"));

        // The server's log holds the earlier cases' logons too.
        const int logonsBefore = acceptedLogons();
        const int failuresBefore = authenticationFailures();
        QProcessEnvironment environment = clientEnvironment();
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        const QString launcherLog = QStringLiteral("/tmp/launcher.log");
        QFile::remove(launcherLog);
        auto launcher = startProgram(LAUNCHER_PATH, {}, environment, launcherLog);
        QCOMPARE(launcher->state(), QProcess::Running);
        QTRY_COMPARE_WITH_TIMEOUT(childrenRunning(launcher->processId(), "connect.sh").size(), 1, 15000);
        const pid_t session = childrenRunning(launcher->processId(), "connect.sh").first();
        // A failing check must not leave the session to the later cases.
        const auto stopSession = qScopeGuard([session] { ::kill(session, SIGTERM); });
        QTRY_VERIFY2_WITH_TIMEOUT(sessions() == 1, qPrintable(connectLog().join('\n')), 15000);
        QCOMPARE(processesShowing(password.toUtf8()), QStringList());
        // The server checked the profile's credentials and accepted them.
        QTRY_COMPARE_WITH_TIMEOUT(acceptedLogons(), logonsBefore + 1, 10000);
        QCOMPARE(authenticationFailures(), failuresBefore);
        QCOMPARE(connectLog().filter("connecting to 192.168.1.1 port 3389 as user 'alice' domain 'WORKGROUP'").size(), 1);
        QVERIFY(Sandbox::standinCalls().filter(password).isEmpty());
        // The automatic connection is armed once.
        QCOMPARE(Sandbox::readFile(profiles + "autologin"), QByteArray("0\n"));

        // Stopping the session script ends the session; the launcher stays.
        QCOMPARE(::kill(session, SIGTERM), 0);
        QTRY_COMPARE_WITH_TIMEOUT(sessions(), 0, 5000);
        QTRY_VERIFY_WITH_TIMEOUT(childrenRunning(launcher->processId(), "connect.sh").isEmpty(), 5000);
        QCOMPARE(launcher->state(), QProcess::Running);
        launcher->kill();
        QVERIFY(launcher->waitForFinished(5000));
    }

    // The shadow server refuses a wrong password by closing the connection
    // during the authentication, which the client reports like a broken
    // transport (status 147, as when no server listens): the script cannot
    // tell it from a network drop, so it tries again up to its bound and
    // gives up. Refusals that a server reports as such end the script at
    // once (the table below).
    void wrongPasswordGetsNoSession()
    {
        QVERIFY(writeConnection("not-the-password"));
        QProcessEnvironment environment = clientEnvironment();
        environment.insert("RDP_RETRIES", "1");
        auto session = startProgram(connectScript, {}, environment);
        QVERIFY(session->waitForFinished(20000));
        QCOMPARE(session->exitCode(), 3);
        // Each run of the client was refused by the server (it may try twice).
        QVERIFY(authenticationFailures() >= 2);
        QVERIFY(!connectLog().filter("giving up on 192.168.1.1 after 1 reconnects").isEmpty());
        QCOMPARE(processesShowing("not-the-password"), QStringList());
        QTRY_COMPARE_WITH_TIMEOUT(sessions(), 0, 5000);
    }

    // A server whose certificate changed since the first connection is
    // refused by the client: the script ends at once, without reconnecting.
    void changedCertificateEndsAtOnce()
    {
        QVERIFY(QFile::exists("/tmp/home/.config/freerdp/known_hosts2"));
        stopServer();
        QVERIFY(QDir(consoleTmp + "/srvhome").removeRecursively());
        startServer();
        QVERIFY(writeConnection(password));
        auto session = startProgram(connectScript, {}, clientEnvironment());
        QVERIFY(session->waitForFinished(15000));
        QCOMPARE(session->exitCode(), 2);
        QVERIFY(!connectLog().filter(QRegularExpression("refused the session .*server certificate changed")).isEmpty());
        QCOMPARE(sessions(), 0);
    }

    // Why the client ended decides what the script does, from the client's
    // exit status and error text (a recording client stands in, so that every
    // ending a real server can give is covered).
    void endingDecides_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("errorText");
        QTest::addColumn<int>("scriptStatus");
        QTest::addColumn<int>("runs");
        QTest::newRow("closed by the user") << 0 << "" << 0 << 1;
        QTest::newRow("logged off") << 12 << "" << 0 << 1;
        QTest::newRow("logged off by the server") << 2 << "" << 0 << 1;
        QTest::newRow("wrong password")
            << 154 << "ERRCONNECT_WRONG_PASSWORD [0x0002001E]" << 2 << 1;
        QTest::newRow("logon failure") << 134 << "ERRCONNECT_LOGON_FAILURE" << 2 << 1;
        QTest::newRow("authentication failed, told in the text")
            << 131 << "freerdp_set_last_error_ex ERRCONNECT_AUTHENTICATION_FAILED [0x00020009]" << 2 << 1;
        QTest::newRow("account locked") << 135 << "" << 2 << 1;
        QTest::newRow("connection lost")
            << 131 << "ERRCONNECT_CONNECT_TRANSPORT_FAILED [0x0002000D]\nNetwork disconnect!" << 3 << 3;
        QTest::newRow("server unreachable") << 147 << "ERRCONNECT_CONNECT_TRANSPORT_FAILED" << 3 << 3;
        QTest::newRow("protocol error") << 40 << "" << 1 << 1;
    }

    void endingDecides()
    {
        QFETCH(int, status);
        QFETCH(QString, errorText);
        QFETCH(int, scriptStatus);
        QFETCH(int, runs);
        QVERIFY(writeConnection(password));
        QDir(fakeClientDir).removeRecursively();
        QVERIFY(Sandbox::writeFile(fakeClientDir + "/errortext", errorText.toUtf8() + '\n'));
        // Records its arguments and what it read on standard input, one file per run.
        QVERIFY(Sandbox::writeFile(fakeClientDir + "/xfreerdp",
                                   QStringLiteral("#!/bin/sh\n"
                                                  "n=$(ls %1/run.*.args 2>/dev/null | wc -l)\n"
                                                  "printf '%s\\n' \"$@\" > %1/run.$n.args\n"
                                                  "cat > %1/run.$n.stdin\n"
                                                  "cat %1/errortext >&2\n"
                                                  "exit %2\n")
                                       .arg(fakeClientDir)
                                       .arg(status)
                                       .toUtf8(),
                                   true));
        QProcessEnvironment environment = clientEnvironment();
        environment.insert("PATH", fakeClientDir + ":" + environment.value("PATH"));
        environment.insert("RDP_RETRIES", "2");
        environment.insert("RDP_STABLE_SECONDS", "60");
        QProcess script;
        script.setProcessEnvironment(environment);
        script.start(connectScript, {});
        QVERIFY(script.waitForFinished(20000));
        QCOMPARE(script.exitStatus(), QProcess::NormalExit);
        QCOMPARE(script.exitCode(), scriptStatus);

        const QStringList stdins = QDir(fakeClientDir).entryList({"run.*.stdin"});
        QCOMPARE(stdins.size(), runs);
        for (int run = 0; run < runs; ++run) {
            const QString prefix = fakeClientDir + "/run." + QString::number(run);
            QCOMPARE(Sandbox::readFile(prefix + ".stdin"), password.toUtf8() + '\n');
            const QStringList arguments = QString::fromUtf8(Sandbox::readFile(prefix + ".args")).split('\n', Qt::SkipEmptyParts);
            QCOMPARE(arguments, (QStringList{"/v:192.168.1.1:3389", "/cert:tofu", "/f", "/log-level:WARN",
                                             "/d:WORKGROUP", "/u:alice", "/from-stdin"}));
        }
        if (runs > 1) {
            // The delay grows between reconnects.
            const QStringList log = connectLog();
            QVERIFY(!log.filter(QRegularExpression("reconnect 1 of 2 in 1s$")).isEmpty());
            QVERIFY(!log.filter(QRegularExpression("reconnect 2 of 2 in 2s$")).isEmpty());
        }
    }
};

SANDBOX_TEST_MAIN(TestRdpSession)
#include "tst_rdpsession.moc"
