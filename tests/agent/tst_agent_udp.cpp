#include "agentprocess.h"
#include "sandboxtestmain.h"
#include "streamclient.h"

#include "shareprotocol.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QUdpSocket>

#include <memory>

// The real agent in the sandbox (eth0 192.168.1.20/24), driven over UDP
// from the console host (192.168.1.1) on the other end of the wire.
class TestAgentUdp : public QObject
{
    Q_OBJECT

    const QHostAddress terminal{QStringLiteral("192.168.1.20")};
    const QHostAddress broadcast{QStringLiteral("192.168.1.255")};
    const QString loginDir = QStringLiteral("/opt/zoderer/login");
    std::unique_ptr<AgentProcess> agent;
    std::unique_ptr<QUdpSocket> listener;  // the console's port 9800
    std::unique_ptr<QUdpSocket> sender;    // the console's ephemeral port

    QString script(const QString& name) const { return agent->localDirectory() + "/" + name; }

    bool startAgent(const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment())
    {
        agent = std::make_unique<AgentProcess>();
        agent->process().setProcessEnvironment(environment);
        return agent->install() && agent->start()
               && agent->waitForStderr("Terminclient version");
    }

    static QList<QByteArray> receive(QUdpSocket& socket, int timeoutMs, int wanted = 1)
    {
        QList<QByteArray> datagrams;
        const QDeadlineTimer deadline(timeoutMs);
        while (datagrams.size() < wanted && !deadline.hasExpired()) {
            if (!socket.hasPendingDatagrams()
                && !socket.waitForReadyRead(int(qMax<qint64>(deadline.remainingTime(), 1))))
                continue;
            while (socket.hasPendingDatagrams()) {
                QByteArray datagram(socket.pendingDatagramSize(), Qt::Uninitialized);
                socket.readDatagram(datagram.data(), datagram.size());
                datagrams << datagram;
            }
        }
        return datagrams;
    }

    // The next report the console hears, ignoring its own requests.
    QByteArray nextReport(int timeoutMs = 5000)
    {
        const QDeadlineTimer deadline(timeoutMs);
        while (!deadline.hasExpired()) {
            for (const QByteArray& datagram : receive(*listener, int(deadline.remainingTime())))
                if (datagram.contains("\"key\":\"TERMINALMSG\""))
                    return datagram;
        }
        return QByteArray();
    }

    void send(const QByteArray& datagram, const QHostAddress& to)
    {
        QCOMPARE(sender->writeDatagram(datagram, to, 9800), qint64(datagram.size()));
    }

    void sendPacket(const char* key, const std::string& content, const QHostAddress& to)
    {
        send(QByteArray::fromStdString(PreData(key, content).toString()), to);
    }

    // Text as it appears inside a JSON string.
    static QByteArray escaped(QByteArray text)
    {
        return text.replace("\\", "\\\\").replace("\"", "\\\"").replace("\n", "\\n");
    }

    static QByteArray expectedReport(const QByteArray& content)
    {
        return "##{\"content\":\"" + escaped(content) + "\",\"key\":\"TERMINALMSG\",\"userId\":\"\"}\n";
    }

    // Waits until the recording script has been called count times.
    static QList<QStringList> waitForCalls(const QString& path, int count, int timeoutMs = 5000)
    {
        const QDeadlineTimer deadline(timeoutMs);
        QList<QStringList> calls;
        while ((calls = Sandbox::recordedCalls(path)).size() < count && !deadline.hasExpired())
            QTest::qWait(20);
        return calls;
    }

    // A device that keeps its settings in a file: the update script writes
    // what it was given, the settings script prints it.
    QString fakeDevice(const QByteArray& settings)
    {
        const QString dir = AgentProcess::DefaultDirectory;
        const QByteArray state = "'" + dir.toUtf8() + "/rdp.state'";
        if (!Sandbox::writeFile(dir + "/rdp.state", settings)
            || !Sandbox::writeRecordingScript(dir + "/getRDPinfo.sh", {{}, 0, 0, "cat " + state})
            || !Sandbox::writeRecordingScript(dir + "/updateRDPinfo.sh",
                                              {{}, 0, 0, "printf '%s|%s|%s|%s' \"$@\" > " + state}))
            return QString();
        return dir + "/updateRDPinfo.sh";
    }

    // The update script's calls, byte for byte: a count and the arguments, each ended by NUL.
    static QByteArray callBytes(const QString& script)
    {
        return Sandbox::readFile(script + ".calls");
    }

    static QByteArray call(const QList<QByteArray>& arguments)
    {
        QByteArray bytes = QByteArray::number(arguments.size()) + '\0';
        for (const QByteArray& argument : arguments)
            bytes += argument + '\0';
        return bytes;
    }

    // termctl on the console host; a shell command line when shell is set
    // ("$0" is termctl there).
    static int termctl(const QStringList& arguments, bool shell = false)
    {
        const QStringList command = shell ? QStringList{"sh", "-c", arguments.join(' '), TERMCTL_PATH}
                                          : QStringList{TERMCTL_PATH} + arguments;
        return Sandbox::sandbox(QStringList{"host", "console", "--"} + command);
    }

    // The agent still answers a discovery request.
    bool answers()
    {
        sendPacket("TERMINALMSG_REQUEST", "", terminal);
        return !nextReport().isEmpty();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(Sandbox::writeFile("/etc/hostname_s", "t01\n7\n"));
    }

    void init()
    {
        listener.reset(Sandbox::udpSocket("console", 9800));
        sender.reset(Sandbox::udpSocket("console", 0));
        QVERIFY(listener && sender);
        QVERIFY(Sandbox::run("rm", {"-rf", "/opt/zoderer", "/opt/system", "/tmp/sandbox-calls.log"}) == 0);
        // Settings scripts as some devices ship them: no "#!" line, no run bit.
        FakeScript settings{"10.1.1.1|alice|s3cret|3389\n"};
        settings.plain = true;
        QVERIFY(Sandbox::writeRecordingScript(AgentProcess::DefaultDirectory + QString("/getRDPinfo.sh"),
                                              settings));
        settings.output.clear();
        QVERIFY(Sandbox::writeRecordingScript(AgentProcess::DefaultDirectory
                                              + QString("/updateRDPinfo.sh"), settings));
    }

    void cleanup()
    {
        agent.reset();
    }

    void reportAtStartFromAgentDirectory()
    {
        // Started from "/": the scripts are found beside the executable.
        QVERIFY(startAgent());
        const QByteArray report = nextReport();
        const auto match = QRegularExpression("1\\.12\\((\\d{6})\\)").match(QString::fromLatin1(report));
        QVERIFY2(match.hasMatch(), report.constData());
        const QByteArray mac =
            Sandbox::readFile("/sys/class/net/eth0/address").trimmed().toUpper();
        const QByteArray content =
            "{\"RDP_IP\":\"10.1.1.1\",\"RDP_PASSWORD\":\"s3cret\",\"RDP_PORT\":\"3389\",\"RDP_USER\":\"alice\","
            "\"hostName\":\"t01\",\"id\":\"7\",\"ip\":\"192.168.1.20\",\"mac\":\"" + mac +
            "\",\"model\":\"QB560_a20\",\"status\":\"connected\",\"version\":\"1.12(" +
            match.captured(1).toLatin1() + ")\"}\n";
        QCOMPARE(report, expectedReport(content));
        QCOMPARE(Sandbox::recordedCalls(script("getRDPinfo.sh")).size(), 1);
        QVERIFY(agent->countStderr("TerminalClient::onNetworkOnlineChange:") == 1);
    }

    void reportOnRequest()
    {
        QVERIFY(startAgent());
        const QByteArray first = nextReport();
        QVERIFY(!first.isEmpty());
        // Content and user id of the request change nothing; the answer goes
        // to the broadcast address and port 9800, never back to the sender.
        send("##{\"key\":\"TERMINALMSG_REQUEST\",\"userId\":\"u1\",\"content\":\"junk\"}", terminal);
        QCOMPARE(nextReport(), first);
        send("##{\"key\":\"TERMINALMSG_REQUEST\"}", broadcast);
        QCOMPARE(nextReport(), first);
        QVERIFY(receive(*sender, 300).isEmpty());
        QVERIFY(agent->waitForStderr("TerminaMsgRequest"));
    }

    void reportSettingsVariants_data()
    {
        QTest::addColumn<QByteArray>("scriptBody");
        QTest::addColumn<QByteArray>("rdpMembers");
        QTest::addColumn<QString>("warning");
        QTest::newRow("port 0") << QByteArray("printf 'h|u|p|0\\n'")
                                << QByteArray("{\"RDP_IP\":\"h\",\"RDP_PASSWORD\":\"p\",\"RDP_PORT\":\"\",\"RDP_USER\":\"u\",")
                                << QString();
        QTest::newRow("negative port") << QByteArray("printf 'h|u|p|-1'")
                                       << QByteArray("{\"RDP_IP\":\"h\",\"RDP_PASSWORD\":\"p\",\"RDP_PORT\":\"\",\"RDP_USER\":\"u\",")
                                       << QString();
        QTest::newRow("three fields") << QByteArray("printf 'a|b|c'")
                                      << QByteArray("{\"RDP_IP\":\"\",\"RDP_PASSWORD\":\"\",\"RDP_PORT\":\"\",\"RDP_USER\":\"\",")
                                      << QString();
        QTest::newRow("failing status still read") << QByteArray("printf 'h|u|p|22'; exit 3")
                                                   << QByteArray("{\"RDP_IP\":\"h\",\"RDP_PASSWORD\":\"p\",\"RDP_PORT\":\"22\",\"RDP_USER\":\"u\",")
                                                   << QString();
        QTest::newRow("crash") << QByteArray("printf 'h|u|p|22'; kill -SEGV $$")
                               << QByteArray("{\"RDP_IP\":\"\",\"RDP_PASSWORD\":\"\",\"RDP_PORT\":\"\",\"RDP_USER\":\"\",")
                               << QString("Provider::failed get RDP info");
        QTest::newRow("missing") << QByteArray()
                                 << QByteArray("{\"RDP_IP\":\"\",\"RDP_PASSWORD\":\"\",\"RDP_PORT\":\"\",\"RDP_USER\":\"\",")
                                 << QString("Provider::failed to get RDP configuration:");
    }

    void reportSettingsVariants()
    {
        QFETCH(QByteArray, scriptBody);
        QFETCH(QByteArray, rdpMembers);
        QFETCH(QString, warning);
        const QString path = AgentProcess::DefaultDirectory + QString("/getRDPinfo.sh");
        QFile::remove(path);
        if (!scriptBody.isEmpty())
            QVERIFY(Sandbox::writeFile(path, "#!/bin/sh\n" + scriptBody + "\n", true));
        QVERIFY(startAgent());
        const QByteArray report = nextReport();
        QVERIFY2(report.startsWith("##{\"content\":\"" + escaped(rdpMembers)), report.constData());
        QVERIFY(report.contains("\\\"status\\\":\\\"connected\\\""));
        if (!warning.isEmpty())
            QVERIFY(agent->waitForStderr("Warning: " + warning));
    }

    void setSettingsPassesValuesUnchanged()
    {
        QVERIFY(startAgent());
        const std::string content =
            "{\"RDP_IP\":\"10.0.0.1; touch /tmp/pwned\",\"RDP_USER\":\"a b  c\",\"RDP_PASSWORD\":\"'\\\"$(id)`id`\\\\\",\"RDP_PORT\":\"\"}";
        sendPacket("SETRDPINFO_REQUEST", content, terminal);
        auto calls = waitForCalls(script("updateRDPinfo.sh"), 1);
        QCOMPARE(calls.size(), 1);
        QCOMPARE(calls.at(0), (QStringList{"10.0.0.1; touch /tmp/pwned", "a b  c", "'\"$(id)`id`\\", ""}));
        QVERIFY(!QFile::exists("/tmp/pwned"));
        QVERIFY(agent->waitForStderr("SETRDPINFO_REQUEST"));

        sendPacket("SETRDPINFO_REQUEST", "{}", broadcast);
        calls = waitForCalls(script("updateRDPinfo.sh"), 2);
        QCOMPARE(calls.value(1), (QStringList{"", "", "", ""}));

        sendPacket("SETRDPINFO_REQUEST", "{\"RDP_PORT\":\"3389\",\"RDP_IP\":\"h\",\"RDP_USER\":\"u\",\"RDP_PASSWORD\":\"p\"}", terminal);
        calls = waitForCalls(script("updateRDPinfo.sh"), 3);
        QCOMPARE(calls.value(2), (QStringList{"h", "u", "p", "3389"}));
    }

    void setSettingsRejected()
    {
        QVERIFY(startAgent());
        QVERIFY(!nextReport().isEmpty());
        sendPacket("SETRDPINFO_REQUEST", "{\"RDP_IP\":\"h\",\"RDP_PORT\":3389}", terminal);
        QVERIFY(agent->waitForStderr("Warning: SetRdpinfo::dealTask: settings are not an object of texts"));
        sendPacket("SETRDPINFO_REQUEST", "[\"h\"]", terminal);
        QTRY_COMPARE(agent->countStderr("Warning: SetRdpinfo::dealTask: settings are not"), 2);
        sendPacket("SETRDPINFO_REQUEST", "RDP_IP=h", terminal);
        QVERIFY(agent->waitForStderr("Warning: SetRdpinfo::dealTask: json parse error"));
        sendPacket("SETRDPINFO_REQUEST", R"({"RDP_USER":"u\nautoconnect=1"})", terminal);
        QVERIFY(agent->waitForStderr("Warning: SetRdpinfo::dealTask: settings refused, nothing changed:"));
        QVERIFY(answers());
        QCOMPARE(Sandbox::recordedCalls(script("updateRDPinfo.sh")).size(), 0);
    }

    void setSettingsWithoutScript()
    {
        QFile::remove(AgentProcess::DefaultDirectory + QString("/updateRDPinfo.sh"));
        QVERIFY(startAgent());
        sendPacket("SETRDPINFO_REQUEST", "{}", terminal);
        QVERIFY(agent->waitForStderr("Warning: Provider::setRDPInfo:failed to set RDP configuration: "));
    }

    void settingsBytesRoundTrip_data()
    {
        QTest::addColumn<QByteArray>("value");
        QTest::newRow("Latin-1") << QByteArray("Ren\xe9" "e");
        QTest::newRow("UTF-8") << QByteArray("Ren\xc3\xa9" "e");
        QTest::newRow("CJK, blank") << QByteArray("\xe6\x9d\xb1 \xe4\xba\xac");
    }

    void settingsBytesRoundTrip()
    {
        QFETCH(QByteArray, value);
        const QString update = fakeDevice("h|u|p|1");
        QVERIFY(startAgent());
        QVERIFY(!nextReport().isEmpty());
        const QByteArray settings = "{\"RDP_IP\":\"" + value + "\",\"RDP_USER\":\"" + value
                                    + "\",\"RDP_PASSWORD\":\"" + value + "\",\"RDP_PORT\":\"3389\"}";
        sendPacket("SETRDPINFO_REQUEST", settings.toStdString(), terminal);
        QTRY_COMPARE(callBytes(update), call({value, value, value, "3389"}));

        sendPacket("TERMINALMSG_REQUEST", "", terminal);
        const QByteArray report = nextReport();
        for (const char* member : {"RDP_IP", "RDP_USER", "RDP_PASSWORD"})
            QVERIFY2(report.contains(escaped("\"" + QByteArray(member) + "\":\"" + value + "\"")),
                     report.constData());

        // A console that writes back what it heard changes nothing.
        QCOMPARE(termctl({"set-rdp", "192.168.1.20", "--port", "3390"}), 0);
        QTRY_COMPARE(callBytes(update),
                     call({value, value, value, "3389"}) + call({value, value, value, "3390"}));
    }

    void passwordWithSeparatorRoundTrips()
    {
        const QString update = fakeDevice("h|u|p|1");
        QVERIFY(startAgent());
        QVERIFY(!nextReport().isEmpty());
        sendPacket("SETRDPINFO_REQUEST", R"({"RDP_IP":"h","RDP_USER":"u","RDP_PASSWORD":"a|b|c","RDP_PORT":"3389"})",
                   terminal);
        QTRY_COMPARE(callBytes(update), call({"h", "u", "a|b|c", "3389"}));
        sendPacket("TERMINALMSG_REQUEST", "", terminal);
        const QByteArray report = nextReport();
        QVERIFY2(report.contains(escaped(R"("RDP_PASSWORD":"a|b|c","RDP_PORT":"3389")")), report.constData());
        QVERIFY(agent->waitForStderr(R"(Provider::getRDPInfo:  "h|u|<5 bytes>|3389")"));
    }

    void unsentReportIsLogged()
    {
        // A report beyond a datagram's maximum, from a device that keeps a long password.
        QVERIFY(Sandbox::writeFile(AgentProcess::DefaultDirectory + QString("/getRDPinfo.sh"),
                                   "#!/bin/sh\nprintf 'h|u|%070000d|1' 0\n", true));
        QVERIFY(startAgent());
        QVERIFY(agent->waitForStderr("Warning: TerminalMsg::dealTask: report of"));
        QVERIFY(agent->waitForStderr("bytes not sent:"));
    }

    void passwordNeverLogged()
    {
        fakeDevice("h|u|Old-Secret-1|3389\n");
        QVERIFY(startAgent());
        QVERIFY(nextReport().contains("Old-Secret-1"));
        const std::string settings = "{\"RDP_USER\":\"u\",\"RDP_PASSWORD\":\"New-Secret-2\"}";
        sendPacket("SETRDPINFO_REQUEST", settings, terminal);
        // Settings belong on UDP; sent to the TCP port they are only logged.
        StreamClient tcp;
        QVERIFY(tcp.send(QByteArray::fromStdString(PreData("SETRDPINFO_REQUEST", settings).toString())));
        QVERIFY(agent->waitForStderr("\tRDP_PORT: \t"));
        QVERIFY(agent->waitForStderr("GetShareProtocolDataRun::receive: "));
        QVERIFY(agent->waitForStderr("RDP_PASSWORD: \t \"<12 bytes>\""));
        QVERIFY(agent->waitForStderr("Provider::getRDPInfo:  \"h|u|<12 bytes>|3389\\n\""));
        const QString log = (agent->stderrLines() + agent->stdoutLines()).join('\n');
        QVERIFY2(!log.contains("Secret"), qPrintable(log));
    }

    void setRdpKeepsWhatIsLeftOut()
    {
        const QString update = fakeDevice("10.1.1.1|alice|s3cret|3389");
        QVERIFY(startAgent());
        QCOMPARE(termctl({"set-rdp", "192.168.1.20", "--user", "bob"}), 0);
        QTRY_COMPARE(callBytes(update), call({"10.1.1.1", "bob", "s3cret", "3389"}));

        QVERIFY(Sandbox::writeFile(Sandbox::hostRoot("console") + "/tmp/pw", "n3w pw\nnot this\n"));
        QCOMPARE(termctl({"set-rdp", "192.168.1.20", "--password-file", "/tmp/pw"}), 0);
        QCOMPARE(termctl({"printf 'from stdin\\n' |", "\"$0\"", "set-rdp", "192.168.1.20", "--password", "-"},
                         true),
                 0);
        QTRY_COMPARE(callBytes(update), call({"10.1.1.1", "bob", "s3cret", "3389"})
                                            + call({"10.1.1.1", "bob", "n3w pw", "3389"})
                                            + call({"10.1.1.1", "bob", "from stdin", "3389"}));

        // Bytes that are not UTF-8 cannot come through Qt's arguments unchanged.
        QCOMPARE(termctl({"\"$0\"", "set-rdp", "192.168.1.20", "--user", "\"$(printf 'x\\351')\""}, true),
                 2);
        // A terminal that does not report keeps its settings.
        QCOMPARE(termctl({"set-rdp", "192.168.1.99", "--user", "eve"}), 1);
        QCOMPARE(Sandbox::recordedCalls(update).size(), 3);
    }

    void rebootWhenListed()
    {
        const QString reboot = loginDir + "/reboot.sh";
        QVERIFY(Sandbox::writeRecordingScript(reboot));
        QVERIFY(startAgent());
        sendPacket("TERMINALREBOOT_REQUEST", "[167772165, -1062731500]", broadcast);
        QVERIFY(agent->waitForExit(5000));
        QCOMPARE(agent->process().exitStatus(), QProcess::NormalExit);
        QCOMPARE(agent->process().exitCode(), 0);
        QVERIFY(agent->stdoutLines().contains("[## deal task: \tTERMINALREBOOT_REQUEST"));
        QCOMPARE(agent->countStdout("[## find target ip"), 1);
        QCOMPARE(agent->countStderr("subIP:  -1062731500"), 1);
        QCOMPARE(agent->countStderr("reboot ip:  167772165"), 1);
        QCOMPARE(waitForCalls(reboot, 1), QList<QStringList>{QStringList()});
        QVERIFY(Sandbox::standinCalls().isEmpty());
    }

    void rebootListedTwiceStartsTwice()
    {
        const QString reboot = loginDir + "/reboot.sh";
        QVERIFY(Sandbox::writeRecordingScript(reboot));
        QVERIFY(startAgent());
        sendPacket("TERMINALREBOOT_REQUEST", "[-1062731500,-1062731500]", terminal);
        QVERIFY(agent->waitForExit(5000));
        QCOMPARE(waitForCalls(reboot, 2).size(), 2);
        QCOMPARE(agent->countStdout("[## find target ip"), 2);
    }

    void rebootFallsBackToCommand()
    {
        QVERIFY(startAgent());
        sendPacket("TERMINALREBOOT_REQUEST", "[-1062731500]", broadcast);
        QVERIFY(agent->waitForExit(5000));
        QCOMPARE(agent->process().exitCode(), 0);
        QTRY_COMPARE(Sandbox::standinCalls(), QStringList{"reboot "});
    }

    void powerScriptThatCannotBeExecuted_data()
    {
        QTest::addColumn<QByteArray>("key");
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("directory");      // else a script without "#!" line and run bit
        QTest::addColumn<bool>("commandOnPath");
        QTest::addColumn<QStringList>("standins"); // the plain commands started
        const QString reboot = loginDir + "/reboot.sh";
        QTest::newRow("reboot.sh plain") << QByteArray("TERMINALREBOOT_REQUEST") << reboot << false << true
                                         << QStringList();
        QTest::newRow("poweroff.sh plain") << QByteArray("TERMINALSHUTDOWN_REQUEST")
                                           << "/opt/system/zoderer/poweroff.sh" << false << true << QStringList();
        QTest::newRow("reboot.sh a directory") << QByteArray("TERMINALREBOOT_REQUEST") << reboot << true << true
                                              << QStringList{"reboot "};
        QTest::newRow("neither starts") << QByteArray("TERMINALREBOOT_REQUEST") << reboot << true << false
                                        << QStringList();
    }

    void powerScriptThatCannotBeExecuted()
    {
        QFETCH(QByteArray, key);
        QFETCH(QString, path);
        QFETCH(bool, directory);
        QFETCH(bool, commandOnPath);
        QFETCH(QStringList, standins);
        FakeScript plain;
        plain.plain = true;
        // A directory is what the shell cannot read even for root.
        QVERIFY(directory ? QDir().mkpath(path) : Sandbox::writeRecordingScript(path, plain));
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        if (!commandOnPath) {
            environment.insert("PATH", "/usr/bin");
            QVERIFY(QStandardPaths::findExecutable("reboot", {"/usr/bin"}).isEmpty());
        }
        QVERIFY(startAgent(environment));
        sendPacket(key, "[-1062731500]", terminal);
        QVERIFY(agent->waitForStdout("[## find target ip"));
        if (commandOnPath) {
            QVERIFY(agent->waitForExit(5000));
            QCOMPARE(agent->process().exitCode(), 0);
        } else {
            QVERIFY(agent->waitForStderr("Warning: TerminalReboot::dealTask: neither " + path
                                         + " nor reboot could be started; the agent keeps serving"));
            QVERIFY(answers());
        }
        QCOMPARE(waitForCalls(path, directory ? 0 : 1).size(), directory ? 0 : 1);
        QTRY_COMPARE(Sandbox::standinCalls(), standins);
    }

    void rebootNotListedOrRejected_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("trace");
        QTest::newRow("other terminal") << QByteArray("[167772165]") << QString();
        QTest::newRow("unsigned form") << QByteArray("[3232235796]") << QString("[## json parse error");
        QTest::newRow("text element") << QByteArray("[\"192.168.1.20\"]") << QString("[## json parse error");
        QTest::newRow("empty list") << QByteArray("[]") << QString("[## json parse error");
        QTest::newRow("object") << QByteArray("{}") << QString("[## json parse error");
        QTest::newRow("bare number") << QByteArray("-1062731500") << QString("[## json parse error");
    }

    void rebootNotListedOrRejected()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, trace);
        const QString reboot = loginDir + "/reboot.sh";
        QVERIFY(Sandbox::writeRecordingScript(reboot));
        QVERIFY(startAgent());
        QVERIFY(!nextReport().isEmpty());
        sendPacket("TERMINALREBOOT_REQUEST", content.toStdString(), terminal);
        QVERIFY(agent->waitForStdout("[## deal task: \tTERMINALREBOOT_REQUEST"));
        if (trace.isEmpty())
            QVERIFY(agent->waitForStderr("reboot ip:  167772165"));
        else
            QVERIFY(agent->waitForStdout(trace));
        QVERIFY(answers());
        QCOMPARE(agent->process().state(), QProcess::Running);
        QCOMPARE(agent->countStdout("[## find target ip"), 0);
        QVERIFY(Sandbox::recordedCalls(reboot).isEmpty());
        QVERIFY(Sandbox::standinCalls().isEmpty());
    }

    void shutdownWhenListed()
    {
        const QString poweroff = "/opt/system/zoderer/poweroff.sh";
        QVERIFY(Sandbox::writeRecordingScript(poweroff));
        QVERIFY(startAgent());
        sendPacket("TERMINALSHUTDOWN_REQUEST", "[-1062731500]", broadcast);
        QVERIFY(agent->waitForExit(5000));
        QCOMPARE(agent->process().exitCode(), 0);
        QVERIFY(agent->waitForStderr("TerminalShutdown::dealTask:  TERMINALSHUTDOWN"));
        QCOMPARE(agent->countStderr("shutdown ip:  -1062731500"), 1);
        QCOMPARE(agent->countStdout("[## deal task"), 0);
        QCOMPARE(waitForCalls(poweroff, 1).size(), 1);
    }

    void shutdownFallsBackToCommand()
    {
        QVERIFY(startAgent());
        sendPacket("TERMINALSHUTDOWN_REQUEST", "[-1062731500]", terminal);
        QVERIFY(agent->waitForExit(5000));
        QTRY_COMPARE(Sandbox::standinCalls(), QStringList{"poweroff "});
    }

    void badDatagramsAreDropped()
    {
        QVERIFY(startAgent());
        QVERIFY(!nextReport().isEmpty());
        struct Case
        {
            QByteArray datagram;
            QStringList traces;
        };
        const QStringList protocol{"[## protocol error", "[## unpack error"};
        const QStringList json{"[## json parse error", "[## unpack error"};
        const QList<Case> cases{
            {"##", {}},
            {"#!{\"key\":\"TERMINALMSG_REQUEST\"}", {}},
            {"", {}},
            {"##x", protocol},
            {QByteArray("##") + '\0' + "{\"key\":\"TERMINALMSG_REQUEST\"}", protocol},
            {"##{\"key\":\"TERMINALMSG_REQUEST\",}", json},
            {"##{" + QByteArray(60000, '['), json},
            {"##{\"userId\":\"u1\",\"content\":\"x\"}", {"[## unpack error"}},
            {"##{\"key\":17}", {"[## unpack error"}},
            {"##{\"key\":\"terminalmsg_request\"}", {}},
            {"##{\"key\":\"TERMINALMSG_REQUEST \"}", {}},
            {"##{\"key\":\"TERMINALMSG\",\"content\":\"{}\"}", {}},
            {"##{\"key\":\"SCREEN_REQUEST\"}", {}},
        };
        for (const Case& c : cases) {
            const qsizetype before = agent->stdoutLines().size();
            send(c.datagram, terminal);
            // A marker after each datagram shows where its traces end.
            send("##m", terminal);
            QVERIFY(agent->waitForStdout("[## protocol error"));
            QTRY_VERIFY(agent->stdoutLines().size() >= before + c.traces.size() + 2);
            const QStringList written = agent->stdoutLines().mid(before);
            QCOMPARE(written, c.traces + protocol);
        }
        QVERIFY(receive(*listener, 300).isEmpty());
        QVERIFY(answers());
    }

    void twoRequestsInOneDatagram()
    {
        const QString reboot = loginDir + "/reboot.sh";
        QVERIFY(Sandbox::writeRecordingScript(reboot));
        QVERIFY(startAgent());
        QVERIFY(!nextReport().isEmpty());
        send("##{\"key\":\"TERMINALMSG_REQUEST\"}{\"key\":\"TERMINALREBOOT_REQUEST\",\"content\":\"[-1062731500]\"}",
             terminal);
        QVERIFY(!nextReport().isEmpty());
        // A later request's report comes after whatever the datagram's
        // second request would have started.
        sendPacket("TERMINALMSG_REQUEST", "", terminal);
        QVERIFY(!nextReport().isEmpty());
        QCOMPARE(agent->process().state(), QProcess::Running);
        QVERIFY(Sandbox::recordedCalls(reboot).isEmpty());
    }

    void secondInstanceExits()
    {
        QVERIFY(startAgent());
        AgentProcess second;
        QVERIFY(second.start());
        QVERIFY(second.waitForExit(6000));
        QCOMPARE(second.process().exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.process().exitCode(), 0);
        QVERIFY(second.stderrLines().filter("The program has been started!").size() == 1);
        QCOMPARE(second.countStderr("Terminclient version"), 0);
        QCOMPARE(agent->process().state(), QProcess::Running);
        QVERIFY(answers());
    }

    void startsWithoutInstanceLock_data()
    {
        QTest::addColumn<bool>("crashedBefore");
        QTest::newRow("read-only /tmp") << false;
        // The lock of an agent that died cannot be removed either.
        QTest::newRow("stale lock on a read-only /tmp") << true;
    }

    void startsWithoutInstanceLock()
    {
        QFETCH(bool, crashedBefore);
        QVERIFY(Sandbox::run("sh", {"-c", "rm -f /tmp/TerminalClient-*"}) == 0);
        if (crashedBefore) {
            QVERIFY(startAgent());
            agent->kill();
        }
        const ReadOnlyDirectory readOnlyTmp("/tmp");
        QVERIFY(readOnlyTmp.ok());
        QVERIFY(startAgent());
        QCOMPARE(agent->countStderr("cannot make the instance lock"), 1);
        QVERIFY(answers());
    }

    void ipv6DatagramsAreNotHeard()
    {
        QVERIFY(startAgent());
        QUdpSocket v6, v4;
        const QByteArray request = "##{\"key\":\"TERMINALMSG_REQUEST\"}";
        QCOMPARE(v6.writeDatagram(request, QHostAddress::LocalHostIPv6, 9800), qint64(request.size()));
        // Datagrams are taken in arrival order: once this later one is in,
        // the IPv6 one would have been too.
        const QByteArray reboot = "##{\"key\":\"TERMINALREBOOT_REQUEST\",\"content\":\"[1]\"}";
        QCOMPARE(v4.writeDatagram(reboot, QHostAddress::LocalHost, 9800), qint64(reboot.size()));
        QVERIFY(agent->waitForStderr("TerminalRebootRequest"));
        QCOMPARE(agent->countStderr("TerminaMsgRequest"), 0);
    }

    void floodIsBounded()
    {
        // A slow settings script keeps the workers busy while requests pile up.
        QVERIFY(Sandbox::writeRecordingScript(AgentProcess::DefaultDirectory + QString("/updateRDPinfo.sh"),
                                              {{}, 0, 5}));
        QVERIFY(startAgent());
        for (int i = 0; i < 400; ++i) {
            sendPacket("SETRDPINFO_REQUEST", "{}", terminal);
            if (i % 50 == 0)
                QTest::qWait(5);
        }
        QVERIFY(agent->waitForStderr("RequestHandler::handleRequest: too many waiting tasks, dropped"));
        QCOMPARE(agent->process().state(), QProcess::Running);
        QVERIFY(agent->countStderr("HandleRunnable: create runable:") <= 256 + 2 + 1);
    }

    void reportFloodIsCoalesced()
    {
        QVERIFY(startAgent());
        QVERIFY(!nextReport().isEmpty());
        QElapsedTimer flood;
        flood.start();
        // 1000 report requests a second for two seconds, a set request among every hundred.
        const int requests = 2000;
        for (int i = 0; i < requests; ++i) {
            sendPacket("TERMINALMSG_REQUEST", "", terminal);
            if (i % 100 == 50)
                sendPacket("SETRDPINFO_REQUEST", "{}", terminal);
            if (i % 10 == 9)
                QTest::qWait(10);
        }
        QTRY_COMPARE_WITH_TIMEOUT(Sandbox::recordedCalls(script("updateRDPinfo.sh")).size(), requests / 100,
                                  10000);
        // A report at most every tenth of a second, however fast they are asked for.
        const qsizetype reports = Sandbox::recordedCalls(script("getRDPinfo.sh")).size();
        QVERIFY2(reports <= flood.elapsed() / 100 + 2, qPrintable(QString("%1 in %2 ms").arg(reports).arg(flood.elapsed())));
        QVERIFY(answers());
    }

    void bindFailureIsFatal()
    {
        // A socket that does not share its address keeps the port.
        QUdpSocket blocker;
        QVERIFY(blocker.bind(QHostAddress::AnyIPv4, 9800, QAbstractSocket::DontShareAddress));
        agent = std::make_unique<AgentProcess>();
        QVERIFY(agent->install() && agent->start());
        QVERIFY(agent->waitForExit(5000));
        QCOMPARE(agent->process().exitStatus(), QProcess::CrashExit);
        QCOMPARE(agent->stderrLines().filter(QRegularExpression("^Fatal: ")),
                 QStringList{"Fatal: TerminalUdpServer::TerminalUdpServer: bind failure!!!"});
    }
};

SANDBOX_TEST_MAIN(TestAgentUdp)
#include "tst_agent_udp.moc"
