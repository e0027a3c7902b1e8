// The real agent in the sandbox (eth0 192.168.1.20/24) serving its TCP
// port: termctl on the console host (192.168.1.1) as the peer where whole
// commands are tried, raw connections where the bytes matter. Also the
// companion program that the agent keeps running.
#include "agentprocess.h"
#include "sandboxtestmain.h"
#include "streamclient.h"
#include "testframe.h"

#include "bcreceivemonitor.h"
#include "shareprotocol.h"
#include "terminaltcpserver.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QImage>
#include <QNetworkDatagram>
#include <QRandomGenerator>
#include <QTimer>
#include <QUdpSocket>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include <cstdio>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString UploadFile = QStringLiteral("/tmp/uploadfile.tar.gz");
constexpr quint32 Terminal = 0xc0a80114; // 192.168.1.20

QByteArray randomBytes(qsizetype size, quint32 seed)
{
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator generator(seed);
    for (char& byte : bytes)
        byte = char(generator.bounded(256));
    return bytes;
}

// The request padded to the 256 bytes of the agent's first read, so that
// bytes sent right behind it stay on the connection.
QByteArray requestBlock(const char* key, const QByteArray& content = QByteArray())
{
    QByteArray block = QByteArray::fromStdString(PreData(key, content.toStdString()).toString());
    block.append(256 - block.size(), ' ');
    return block;
}

FakeScript printing(const QByteArray& output)
{
    FakeScript fake;
    fake.output = output;
    return fake;
}

FakeScript exiting(int status)
{
    FakeScript fake;
    fake.exitCode = status;
    return fake;
}

QStringList partialUploads()
{
    return QDir(QStringLiteral("/tmp")).entryList({QStringLiteral("uploadfile.tar.gz.*")},
                                                  QDir::Files | QDir::Hidden | QDir::System);
}

} // namespace

class TestAgentTcp : public QObject
{
    Q_OBJECT

    std::unique_ptr<AgentProcess> agent;

    QString script(const QString& name) const
    {
        return QString::fromLatin1(AgentProcess::DefaultDirectory) + "/" + name;
    }

    bool startAgent(const QString& directory = QString::fromLatin1(AgentProcess::DefaultDirectory))
    {
        agent = std::make_unique<AgentProcess>(QString(), directory);
        return agent->install() && agent->start() && agent->waitForStderr("Terminclient version");
    }

    // Sends the bytes on a new connection and returns all the agent sent
    // back before it closed ("not closed" when it did not).
    static QByteArray exchange(const QByteArray& bytes)
    {
        StreamClient client(Terminal);
        if (!client.connected() || !client.send(bytes))
            return "not sent";
        bool closed = false;
        const QByteArray answer = client.receiveAll(&closed);
        return closed ? answer : "not closed";
    }

    // termctl run on the console host; its exit status, output in output.
    static int termctl(const QStringList& arguments, QByteArray* output = nullptr)
    {
        return Sandbox::sandbox(QStringList{"host", "console", "--", TERMCTL_PATH} + arguments,
                                output);
    }

    static QProcess* startTermctl(const QStringList& arguments)
    {
        auto* process = new QProcess;
        process->setProcessChannelMode(QProcess::MergedChannels);
        process->start(Sandbox::script(),
                       QStringList{"host", "console", "--", TERMCTL_PATH} + arguments);
        return process;
    }

    // A file in the console host's /tmp: its path there and here.
    static QString consoleFile(const QString& name) { return "/tmp/" + name; }
    static QString consoleFileHere(const QString& name)
    {
        return Sandbox::hostRoot(QStringLiteral("console")) + "/tmp/" + name;
    }

    static int lineCount(const QString& path)
    {
        return int(Sandbox::readFile(path).count('\n'));
    }

    // As many as the agent has workers for its connections; 0 if unknown.
    int streamWorkers() const
    {
        const QStringList line = agent->stderrLines().filter("RequestHandler:: idealThreadCount");
        return line.size() == 1 ? line.first().section(' ', -1).toInt() : 0;
    }

    // The process exists and is no zombie.
    static bool runs(const QByteArray& pid)
    {
        const QByteArray stat = Sandbox::readFile("/proc/" + pid + "/stat");
        return !stat.isEmpty() && !stat.contains(") Z ");
    }

private slots:
    void initTestCase()
    {
        QVERIFY(Sandbox::writeFile("/etc/hostname_s", "t01\n7\n"));
        QVERIFY(TestFrame::install(0, QStringLiteral("/tmp/fb0.raw"), 1024, 768, 32));
    }

    void init()
    {
        QVERIFY(Sandbox::run("sh", {"-c", "rm -rf /opt/zoderer /tmp/uploadfile.tar.gz* /tmp/receivebc.* "
                                          "/tmp/precious /tmp/files /tmp/other /tmp/release /tmp/updates "
                                              + consoleFileHere("*")}) == 0);
        QVERIFY(Sandbox::writeRecordingScript(script("getRDPinfo.sh"), printing("10.1.1.1|a|p|3389\n")));
    }

    void cleanup() { agent.reset(); }

    void uploadThenUpdate()
    {
        QVERIFY(Sandbox::writeRecordingScript(script("update.sh")));
        QVERIFY(Sandbox::writeRecordingScript(script("clearUpdate.sh")));
        QVERIFY(startAgent());
        const QByteArray package = randomBytes(6 * 1024 * 1024 + 3, 1);
        QVERIFY(Sandbox::writeFile(consoleFileHere("pkg.tar.gz"), package));

        QByteArray output;
        QCOMPARE(termctl({"upload", "192.168.1.20", consoleFile("pkg.tar.gz")}, &output), 0);
        QVERIFY2(output.contains("uploaded"), output.constData());
        QVERIFY(agent->waitForStderr("AcceptUploadFile::dealTask: Upload success"));
        QVERIFY(agent->countStderr("AcceptUploadFile::dealTask: file size:  \"6291459\"") == 1);
        QVERIFY(Sandbox::readFile(UploadFile) == package);
        QCOMPARE(partialUploads(), QStringList());

        // Byte-exact reply, terminating zero included; then the clean script.
        QCOMPARE(exchange(requestBlock("UPDATE_REQUEST")), QByteArray("successfully!\0", 14));
        QCOMPARE(Sandbox::recordedCalls(script("update.sh")),
                 QList<QStringList>{{UploadFile}});
        QCOMPARE(Sandbox::recordedCalls(script("clearUpdate.sh")), QList<QStringList>{{}});

        QCOMPARE(termctl({"update", "192.168.1.20"}, &output), 0);
        QCOMPARE(output, QByteArray("successfully!\n"));
        QCOMPARE(Sandbox::recordedCalls(script("clearUpdate.sh")).size(), 2);
    }

    void updateOutcomes_data()
    {
        QTest::addColumn<bool>("package");
        QTest::addColumn<int>("scriptStatus"); // -1: no script
        QTest::addColumn<QByteArray>("reply");
        QTest::newRow("script fails") << true << 3 << QByteArray("error: update failed!\0", 22);
        QTest::newRow("script missing") << true << -1 << QByteArray("error: update failed!\0", 22);
        QTest::newRow("no package") << false << 0 << QByteArray("error: validation failed!\0", 26);
    }

    void updateOutcomes()
    {
        QFETCH(bool, package);
        QFETCH(int, scriptStatus);
        QFETCH(QByteArray, reply);
        if (scriptStatus >= 0)
            QVERIFY(Sandbox::writeRecordingScript(script("update.sh"), exiting(scriptStatus)));
        QVERIFY(Sandbox::writeRecordingScript(script("clearUpdate.sh")));
        if (package)
            QVERIFY(Sandbox::writeFile(UploadFile, "package"));
        QVERIFY(startAgent());

        QCOMPARE(exchange(requestBlock("UPDATE_REQUEST")), reply);
        QByteArray output;
        QCOMPARE(termctl({"update", "192.168.1.20"}, &output), 1);
        QVERIFY2(output.contains(reply.chopped(1) + "\n"), output.constData());
        QCOMPARE(Sandbox::recordedCalls(script("clearUpdate.sh")).size(), 0);
        QCOMPARE(Sandbox::recordedCalls(script("update.sh")).size(),
                 package && scriptStatus >= 0 ? 2 : 0);
    }

    void concurrentUpdatesRunOneAfterTheOther_data()
    {
        QTest::addColumn<QByteArray>("usesPackage");
        QTest::addColumn<QByteArray>("secondReply");
        QTest::addColumn<int>("runs");
        QTest::newRow("package kept") << QByteArray() << QByteArray("successfully!\0", 14) << 2;
        QTest::newRow("package used up") << QByteArray("rm -f \"$1\"\n")
                                         << QByteArray("error: validation failed!\0", 26) << 1;
    }

    void concurrentUpdatesRunOneAfterTheOther()
    {
        QFETCH(QByteArray, usesPackage);
        QFETCH(QByteArray, secondReply);
        QFETCH(int, runs);
        // Each run logs its start and end and lasts until the test releases it (20 s at most).
        FakeScript held;
        held.commands = "echo start >> /tmp/updates\n" + usesPackage
                        + "for i in $(seq 400); do [ -e /tmp/release ] && break; sleep 0.05; done\n"
                          "echo end >> /tmp/updates";
        QVERIFY(Sandbox::writeRecordingScript(script("update.sh"), held));
        QVERIFY(Sandbox::writeRecordingScript(script("clearUpdate.sh")));
        QVERIFY(Sandbox::writeFile(UploadFile, "package"));
        QVERIFY(startAgent());
        StreamClient first(Terminal);
        QVERIFY(first.send(requestBlock("UPDATE_REQUEST")));
        QTRY_COMPARE(Sandbox::recordedCalls(script("update.sh")).size(), 1);
        StreamClient second(Terminal);
        QVERIFY(second.send(requestBlock("UPDATE_REQUEST")));
        QVERIFY(agent->waitForStderr("another update is running, this one waits for it to end"));
        QCOMPARE(Sandbox::recordedCalls(script("update.sh")).size(), 1);
        QVERIFY(Sandbox::writeFile(QStringLiteral("/tmp/release"), QByteArray()));
        bool closed = false;
        QCOMPARE(first.receiveAll(&closed), QByteArray("successfully!\0", 14));
        QCOMPARE(second.receiveAll(&closed), secondReply);
        QVERIFY(closed);
        QCOMPARE(Sandbox::readFile(QStringLiteral("/tmp/updates")), QByteArray("start\nend\n").repeated(runs));
    }

    void updateScriptsNeverParsedAsCommands()
    {
        // Blanks, a semicolon and a command substitution in the agent's
        // directory are no more than characters of a file name; the scripts
        // are shipped as some devices do, without "#!" line and run bit.
        const QString directory = QStringLiteral("/opt/zoderer/term agent;$(touch pwned)");
        FakeScript plain;
        plain.plain = true;
        QVERIFY(Sandbox::writeRecordingScript(directory + "/getRDPinfo.sh", printing("a|b|c|1\n")));
        QVERIFY(Sandbox::writeRecordingScript(directory + "/update.sh", plain));
        QVERIFY(Sandbox::writeRecordingScript(directory + "/clearUpdate.sh", plain));
        QVERIFY(Sandbox::writeFile(UploadFile, "package"));
        QVERIFY(startAgent(directory));
        QCOMPARE(exchange(requestBlock("UPDATE_REQUEST")), QByteArray("successfully!\0", 14));
        QCOMPARE(Sandbox::recordedCalls(directory + "/update.sh"), QList<QStringList>{{UploadFile}});
        QCOMPARE(Sandbox::recordedCalls(directory + "/clearUpdate.sh"), QList<QStringList>{{}});
        QVERIFY(!QFileInfo::exists("/pwned") && !QFileInfo::exists(directory + "/pwned"));
    }

    void uploadCutShortKeepsStagedPackage()
    {
        const QByteArray staged = randomBytes(200 * 1024, 1);
        QVERIFY(Sandbox::writeFile(UploadFile, staged));
        QVERIFY(startAgent());
        {
            StreamClient client(Terminal);
            QVERIFY(client.send(requestBlock("UPLOAD_REQUEST", "p.tgz;0;1048576")));
            QVERIFY(client.send(randomBytes(100 * 1024, 2)));
        }
        QVERIFY(agent->waitForStderr("AcceptUploadFile::dealTask: Upload Length error"));
        QVERIFY(agent->countStderr("AcceptUploadFile::dealTask: receive:  102400") == 1);
        QVERIFY(Sandbox::readFile(UploadFile) == staged);
        QCOMPARE(partialUploads(), QStringList());
    }

    void uploadReplacesPlantedLink()
    {
        QVERIFY(Sandbox::writeFile(QStringLiteral("/tmp/precious"), "keep me"));
        QVERIFY(QFile::link(QStringLiteral("/tmp/precious"), UploadFile));
        QVERIFY(startAgent());
        const QByteArray package = randomBytes(3 * 1024 * 1024, 3);
        QVERIFY(Sandbox::writeFile(consoleFileHere("pkg"), package));
        QCOMPARE(termctl({"upload", "192.168.1.20", consoleFile("pkg")}), 0);
        QVERIFY(agent->waitForStderr("AcceptUploadFile::dealTask: Upload success"));
        QVERIFY(!QFileInfo(UploadFile).isSymLink());
        QVERIFY(Sandbox::readFile(UploadFile) == package);
        QCOMPARE(Sandbox::readFile(QStringLiteral("/tmp/precious")), QByteArray("keep me"));
    }

    void concurrentUploadsNeverMix()
    {
        QVERIFY(startAgent());
        const QByteArray first = randomBytes(4 * 1024 * 1024, 4);
        const QByteArray second = randomBytes(4 * 1024 * 1024, 5);
        QVERIFY(Sandbox::writeFile(consoleFileHere("first"), first));
        QVERIFY(Sandbox::writeFile(consoleFileHere("second"), second));
        std::unique_ptr<QProcess> one(startTermctl({"upload", "192.168.1.20", consoleFile("first")}));
        std::unique_ptr<QProcess> two(startTermctl({"upload", "192.168.1.20", consoleFile("second")}));
        for (QProcess* process : {one.get(), two.get()}) {
            QVERIFY(process->waitForFinished(30000));
            QVERIFY2(process->exitCode() == 0, process->readAll().constData());
        }
        QTRY_COMPARE(agent->countStderr("AcceptUploadFile::dealTask: Upload success"), 2);
        const QByteArray result = Sandbox::readFile(UploadFile);
        QVERIFY(result == first || result == second);
        QCOMPARE(partialUploads(), QStringList());
    }

    void fileFetch()
    {
        QVERIFY(Sandbox::writeFile(QStringLiteral("/tmp/files/ten"), "0123456789"));
        QVERIFY(Sandbox::writeFile(QStringLiteral("/tmp/files/empty"), QByteArray()));
        QVERIFY(startAgent());
        QCOMPARE(exchange(requestBlock("FILE_REQUEST", "{\"fileName\":\"/tmp/files/ten\"}")),
                 QByteArray("\x0a\0\0\0" "0123456789", 14));
        QCOMPARE(exchange(requestBlock("FILE_REQUEST", "{\"fileName\":\"/tmp/files/empty\"}")),
                 QByteArray("\0\0\0\0", 4));
        QCOMPARE(exchange(requestBlock("FILE_REQUEST", "{\"fileName\":\"/tmp/files/none\"}")),
                 QByteArray());
        QCOMPARE(exchange(requestBlock("FILE_REQUEST", "{fileName:/tmp/files/ten}")), QByteArray());
        QCOMPARE(exchange(requestBlock("FILE_REQUEST", "{\"fileName\":[\"/tmp/files/ten\"]}")),
                 QByteArray());
        QTRY_COMPARE(agent->countStderr("SendFile::dealTask: file not exist"), 3);

        QByteArray output;
        QCOMPARE(termctl({"get", "192.168.1.20", "/tmp/files/ten", "-o", consoleFile("ten")}, &output),
                 0);
        QCOMPARE(Sandbox::readFile(consoleFileHere("ten")), QByteArray("0123456789"));
        QCOMPARE(termctl({"get", "192.168.1.20", "/tmp/files/none", "-o", consoleFile("none")},
                         &output),
                 1);
        QVERIFY2(output.contains("/tmp/files/none is missing"), output.constData());
        QVERIFY(!QFileInfo::exists(consoleFileHere("none")));
        // A file that states no size is sent whole all the same.
        QCOMPARE(termctl({"get", "192.168.1.20", "/proc/version", "-o", consoleFile("version")}), 0);
        const QByteArray version = Sandbox::readFile(consoleFileHere("version"));
        QVERIFY(!version.isEmpty());
        QCOMPARE(version, Sandbox::readFile(QStringLiteral("/proc/version")));
    }

    void fetchNeverOpensWhatItDidNotCheck()
    {
        QVERIFY(Sandbox::writeFile(QStringLiteral("/tmp/files/swapped"), "abc"));
        QCOMPARE(::mkfifo("/tmp/files/fifo", 0644), 0);
        QCOMPARE(::mkfifo("/tmp/files/pipe", 0644), 0);
        QVERIFY(startAgent());
        QCOMPARE(exchange(requestBlock("FILE_REQUEST", "{\"fileName\":\"/tmp/files/pipe\"}")), QByteArray());
        // The name flips between the file and a FIFO as fast as it can; a
        // worker that opened a FIFO would wait for a writer for good.
        std::atomic<bool> stop = false;
        std::thread swapper([&stop] {
            while (!stop)
                ::renameat2(AT_FDCWD, "/tmp/files/swapped", AT_FDCWD, "/tmp/files/fifo", RENAME_EXCHANGE);
        });
        int served = 0;
        QByteArray answer;
        for (int i = 0; i < 300; ++i) {
            QCoreApplication::processEvents(); // drains the agent's log pipe
            answer = exchange(requestBlock("FILE_REQUEST", "{\"fileName\":\"/tmp/files/swapped\"}"));
            if (answer != QByteArray()) {
                if (answer != QByteArray("\x03\0\0\0abc", 7))
                    break;
                ++served;
            }
        }
        stop = true;
        swapper.join();
        QVERIFY2(answer.isEmpty() || answer.size() == 7, answer.constData());
        QTRY_COMPARE(served + agent->countStderr("SendFile::dealTask: file not exist"), 301);
        QVERIFY(served > 0);
        QCOMPARE(exchange(requestBlock("FILE_REQUEST", "{\"fileName\":\"/tmp/files/swapped\"}"))
                     + exchange(requestBlock("FILE_REQUEST", "{\"fileName\":\"/tmp/files/fifo\"}")),
                 QByteArray("\x03\0\0\0abc", 7));
    }

    void policyLimitsHostsAndFiles()
    {
        // Raw connections come from the terminal's own address, termctl from the console's.
        QVERIFY(Sandbox::writeFile(QStringLiteral("/opt/zoderer/configs/agent/policy.conf"),
                                   "allow-tcp 192.168.1.20\nserve /tmp/files/\n"));
        QVERIFY(Sandbox::writeFile(QStringLiteral("/tmp/files/ten"), "0123456789"));
        QVERIFY(Sandbox::writeFile(QStringLiteral("/tmp/other/secret"), "secret"));
        QVERIFY(QFile::link(QStringLiteral("/tmp/other/secret"), QStringLiteral("/tmp/files/out")));
        QVERIFY(QFile::link(QStringLiteral("/tmp/files/ten"), QStringLiteral("/tmp/files/in")));
        QVERIFY(startAgent());
        const auto fetch = [](const char* path) {
            return exchange(requestBlock("FILE_REQUEST", QByteArray("{\"fileName\":\"") + path + "\"}"));
        };
        const QByteArray ten("\x0a\0\0\0" "0123456789", 14);
        QCOMPARE(fetch("/tmp/files/ten"), ten);
        QCOMPARE(fetch("/tmp/files/in"), ten);
        QCOMPARE(fetch("/tmp/other/secret"), QByteArray());
        QCOMPARE(fetch("/tmp/files/out"), QByteArray());
        QCOMPARE(fetch("/tmp/files/../other/secret"), QByteArray());
        QTRY_COMPARE(agent->countStderr("SendFile::dealTask: not served by the agent's policy"), 3);

        for (int i = 0; i < 2; ++i)
            QVERIFY(termctl({"get", "192.168.1.20", "/tmp/files/ten", "-o", consoleFile("ten")}) != 0);
        QVERIFY(!QFileInfo::exists(consoleFileHere("ten")));
        QTRY_COMPARE(agent->countStderr("192.168.1.1 closed, the host is not allowed by the policy"), 1);
        QCOMPARE(agent->countStderr("SendFile::dealTask:  FILE_REQUEST"), 5);
    }

    void datagramsAnsweredWhileStreamsBusy()
    {
        // Updates that last until the test lets them end, 20 s at most.
        FakeScript held;
        held.commands = "for i in $(seq 400); do [ -e /tmp/release ] && break; sleep 0.05; done";
        QVERIFY(Sandbox::writeRecordingScript(script("update.sh"), held));
        QVERIFY(Sandbox::writeRecordingScript(script("clearUpdate.sh")));
        QVERIFY(Sandbox::writeRecordingScript(script("updateRDPinfo.sh")));
        QVERIFY(Sandbox::writeFile(UploadFile, "package"));
        std::unique_ptr<QUdpSocket> listener(Sandbox::udpSocket("console", 9800));
        std::unique_ptr<QUdpSocket> sender(Sandbox::udpSocket("console", 0));
        QVERIFY(listener && sender);
        QVERIFY(startAgent());
        QVERIFY(listener->waitForReadyRead(5000)); // the report at start
        while (listener->hasPendingDatagrams())
            listener->receiveDatagram();

        const int workers = streamWorkers();
        QVERIFY(workers > 0);
        std::vector<std::unique_ptr<StreamClient>> updates;
        for (int i = 0; i < workers; ++i) {
            updates.push_back(std::make_unique<StreamClient>(Terminal));
            QVERIFY(updates.back()->send(requestBlock("UPDATE_REQUEST")));
        }
        // One runs, the others wait for it on their workers.
        QTRY_COMPARE(Sandbox::recordedCalls(script("update.sh")).size(), 1);
        QTRY_COMPARE(agent->countStderr("this one waits for it to end"), workers - 1);

        const auto send = [&](const char* key, const char* content) {
            const QByteArray bytes = QByteArray::fromStdString(PreData(key, content).toString());
            return sender->writeDatagram(bytes, QHostAddress(Terminal), 9800) == bytes.size();
        };
        QElapsedTimer timer;
        timer.start();
        QVERIFY(send("TERMINALMSG_REQUEST", ""));
        QVERIFY(listener->waitForReadyRead(1000));
        QVERIFY(listener->receiveDatagram().data().contains("\"key\":\"TERMINALMSG\""));
        QVERIFY2(timer.elapsed() < 1000, qPrintable(QString::number(timer.elapsed())));
        timer.restart();
        QVERIFY(send("SETRDPINFO_REQUEST", "{\"RDP_IP\":\"h\"}"));
        QTRY_COMPARE_WITH_TIMEOUT(Sandbox::recordedCalls(script("updateRDPinfo.sh")).size(), 1, 1000);

        QVERIFY(Sandbox::writeFile(QStringLiteral("/tmp/release"), QByteArray()));
        for (const auto& update : updates) {
            bool closed = false;
            QCOMPARE(update->receiveAll(&closed), QByteArray("successfully!\0", 14));
            QVERIFY(closed);
        }
    }

    void overlayClosesWithoutAnswer()
    {
        QVERIFY(startAgent());
        QCOMPARE(exchange(requestBlock("OVERLAY_REQUEST", "anything")), QByteArray());
        QVERIFY(agent->waitForStderr("SendOverlay::dealTask:  OVERLAY_REQUEST"));
    }

    void rejectedRequests()
    {
        QVERIFY(startAgent());
        QByteArray full = "##{\"content\":\"" + QByteArray(256 - 37, 'x') + "\",\"key\":\"FILE_REQUEST\"}";
        QCOMPARE(full.size(), 256);
        for (const QByteArray& bytes :
             {QByteArray::fromStdString(PreData("PRINT_REQUEST", "").toString()),
              QByteArray::fromStdString(PreData("screen_request", "").toString()),
              QByteArray::fromStdString(PreData("TERMINALMSG_REQUEST", "").toString()), full})
            QCOMPARE(exchange(bytes), QByteArray());
        // Only the start-up report became a task.
        QCOMPARE(agent->countStderr("HandleRunnable: create runable"), 1);
        QVERIFY(agent->process().state() == QProcess::Running);
    }

    void silentConnectionsStarveNothing()
    {
        std::unique_ptr<QUdpSocket> listener(Sandbox::udpSocket("console", 9800));
        std::unique_ptr<QUdpSocket> sender(Sandbox::udpSocket("console", 0));
        QVERIFY(listener && sender);
        QVERIFY(startAgent());
        QVERIFY(listener->waitForReadyRead(5000)); // the report at start
        while (listener->hasPendingDatagrams())
            listener->receiveDatagram();

        std::vector<std::unique_ptr<StreamClient>> silent;
        for (int i = 0; i < 50; ++i) {
            silent.push_back(std::make_unique<StreamClient>(Terminal));
            QVERIFY(silent.back()->connected());
        }
        const QByteArray discovery =
            QByteArray::fromStdString(PreData("TERMINALMSG_REQUEST", "").toString());
        QCOMPARE(sender->writeDatagram(discovery, QHostAddress(Terminal), 9800),
                 qint64(discovery.size()));
        QVERIFY(listener->waitForReadyRead(5000));
        QVERIFY(listener->receiveDatagram().data().contains("\"key\":\"TERMINALMSG\""));

        QByteArray output;
        QCOMPARE(termctl({"screenshot", "192.168.1.20", "-o", consoleFile("screen.jpg")}, &output), 0);
        QVERIFY2(output.contains("asking again"), output.constData());
        const QImage image(consoleFileHere("screen.jpg"), "JPEG");
        QCOMPARE(image.size(), QSize(1024, 768));
        for (const auto& connection : silent)
            QVERIFY(!connection->closed());
    }

    void stalledPeersAreCutOff()
    {
        QVERIFY(startAgent());
        StreamClient silent(Terminal);
        StreamClient upload(Terminal);
        QVERIFY(upload.send(requestBlock("UPLOAD_REQUEST", "p;0;1000")));
        QVERIFY(upload.send("ten bytes."));
        QDeadlineTimer bound(12000);
        bool closed = false;
        QCOMPARE(silent.receiveAll(&closed), QByteArray());
        QVERIFY(closed && !bound.hasExpired());
        QVERIFY(agent->waitForStderr("Warning: Server Recieve Data Failed"));
        QCOMPARE(upload.receiveAll(&closed), QByteArray());
        QVERIFY(closed && !bound.hasExpired());
        QVERIFY(agent->waitForStderr("the peer stalled, receive timed out"));
        QVERIFY(agent->waitForStderr("AcceptUploadFile::dealTask: Upload Length error"));
        QVERIFY(!QFileInfo::exists(UploadFile));
        QCOMPARE(partialUploads(), QStringList());
    }

    void tricklingPeersAreCutOff()
    {
        QVERIFY(Sandbox::writeFile(QStringLiteral("/tmp/files/ten"), "0123456789"));
        QVERIFY(startAgent());
        const int workers = streamWorkers();
        QVERIFY(workers > 0);
        std::vector<std::unique_ptr<StreamClient>> uploads;
        for (int i = 0; i < workers; ++i) {
            uploads.push_back(std::make_unique<StreamClient>(Terminal));
            QVERIFY(uploads.back()->send(requestBlock("UPLOAD_REQUEST", "p;0;1000000")));
        }
        QTRY_COMPARE(agent->countStderr("AcceptUploadFile::dealTask: file size"), workers);
        StreamClient fetch(Terminal);
        QVERIFY(fetch.send(requestBlock("FILE_REQUEST", "{\"fileName\":\"/tmp/files/ten\"}")));
        // A byte every half second: each receive ends well within its time-out.
        QTimer trickle;
        connect(&trickle, &QTimer::timeout, this, [&uploads] {
            for (const auto& upload : uploads)
                upload->send("x");
        });
        trickle.start(500);
        QByteArray answer;
        QTRY_VERIFY_WITH_TIMEOUT(fetch.closed(&answer), 9000);
        QCOMPARE(answer, QByteArray("\x0a\0\0\0" "0123456789", 14));
        QTRY_COMPARE(agent->countStderr("connection cut off as too slow"), workers);
        QTRY_COMPARE(agent->countStderr("AcceptUploadFile::dealTask: Upload Length error"), workers);
        QCOMPARE(partialUploads(), QStringList());
    }

    void descriptorsRunningOutPauseAccepting()
    {
        QVERIFY(Sandbox::writeFile(QStringLiteral("/tmp/files/ten"), "0123456789"));
        agent = std::make_unique<AgentProcess>();
        agent->process().setChildProcessModifier([] {
            const rlimit limit{64, 64};
            ::setrlimit(RLIMIT_NOFILE, &limit);
        });
        QVERIFY(agent->install() && agent->start() && agent->waitForStderr("Terminclient version"));
        // Uploads that send nothing more, waiting for a worker: more than
        // the agent has descriptors for; the rest wait in the backlog.
        std::vector<std::unique_ptr<StreamClient>> held;
        QElapsedTimer sinceFirst;
        sinceFirst.start();
        for (int i = 0; i < 60; ++i) {
            held.push_back(std::make_unique<StreamClient>(Terminal));
            QVERIFY(held.back()->send(requestBlock("UPLOAD_REQUEST", "p;0;1000")));
        }
        QVERIFY(agent->waitForStderr("running out of descriptors"));
        const QByteArray stat = "/proc/" + QByteArray::number(agent->process().processId()) + "/stat";
        const auto cpuTicks = [&stat] {
            const QList<QByteArray> fields = Sandbox::readFile(stat).split(')').value(1).split(' ');
            return fields.value(12).toLongLong() + fields.value(13).toLongLong(); // utime + stime
        };
        const qint64 before = cpuTicks();
        QTest::qWait(2000);
        const qint64 spent = cpuTicks() - before;
        QVERIFY2(spent < sysconf(_SC_CLK_TCK) / 4, qPrintable(QString::number(spent)));
        QVERIFY(agent->process().state() == QProcess::Running);
        // One refused at the pause and one at each resume, not the backlog's
        // whole queue at once.
        const int refused = agent->countStderr("running out of descriptors");
        QVERIFY2(refused <= 2 + sinceFirst.elapsed() / TerminalTcpServer::AcceptPauseMs,
                 qPrintable(QString::number(refused)));
        held.clear();
        // The agent lets go of the closed uploads on its worker threads and
        // works through its backlog; a client that came meanwhile may have
        // been refused, and its next try is served.
        QTRY_COMPARE_WITH_TIMEOUT(
            exchange(requestBlock("FILE_REQUEST", "{\"fileName\":\"/tmp/files/ten\"}")),
            QByteArray("\x0a\0\0\0" "0123456789", 14), 10000);
    }

    void companionMissing()
    {
        QVERIFY(startAgent());
        QVERIFY(agent->waitForStderr("BcReceiveMonitor::onError: FailedToStart"));
        QTest::qWait(1500);
        QCOMPARE(agent->countStderr("BcReceiveMonitor::onError"), 2); // the slot's line and the case
        QCOMPARE(exchange(requestBlock("OVERLAY_REQUEST")), QByteArray());
    }

    void companionRestartedAfterCrash()
    {
        // Crashes on its first run only, then stays.
        QVERIFY(Sandbox::writeFile(script("ReceiveBc"),
                                   "#!/bin/sh\necho run >> /tmp/receivebc.runs\n"
                                   "[ -e /tmp/receivebc.crashed ] && exec sleep 1000\n"
                                   "touch /tmp/receivebc.crashed\nkill -KILL $$\n",
                                   true));
        QVERIFY(startAgent());
        QVERIFY(agent->waitForStderr("BcReceiveMonitor::onError: Crashed ----> restart"));
        QTRY_COMPARE(lineCount("/tmp/receivebc.runs"), 2);
        QTest::qWait(1000);
        QCOMPARE(lineCount("/tmp/receivebc.runs"), 2);
        QCOMPARE(agent->countStderr("Crashed ----> restart"), 1);
    }

    void companionCrashingAlwaysIsRestartedLessOften()
    {
        // Each run notes when it started, in ms.
        QVERIFY(Sandbox::writeFile(script("ReceiveBc"),
                                   "#!/bin/sh\ndate +%s%3N >> /tmp/receivebc.runs\nkill -KILL $$\n", true));
        QVERIFY(startAgent());
        QTRY_COMPARE_WITH_TIMEOUT(lineCount("/tmp/receivebc.runs"), 4, 10000);
        QList<qint64> gaps;
        const QList<QByteArray> starts = Sandbox::readFile("/tmp/receivebc.runs").trimmed().split('\n');
        for (qsizetype i = 1; i < starts.size(); ++i)
            gaps << starts.at(i).toLongLong() - starts.at(i - 1).toLongLong();
        // At once, then after a second, then after two.
        QVERIFY2(gaps.at(0) < 900 && gaps.at(1) >= 900 && gaps.at(1) < 1900 && gaps.at(2) >= 1900
                     && gaps.at(2) < 3900,
                 qPrintable(QString("gaps %1 %2 %3 ms").arg(gaps.at(0)).arg(gaps.at(1)).arg(gaps.at(2))));
        QVERIFY(agent->countStderr("Crashed ----> restart") >= 3);
        QCOMPARE(exchange(requestBlock("OVERLAY_REQUEST")), QByteArray());
    }

    void companionRestartDelays_data()
    {
        QTest::addColumn<QList<qint64>>("ranMs"); // how long each run lasted before it crashed
        QTest::addColumn<QList<int>>("delaysMs");
        QTest::newRow("crashing at every start")
            << QList<qint64>{0, 0, 0, 0, 0} << QList<int>{0, 1000, 2000, 4000, 8000};
        QTest::newRow("up to a minute")
            << QList<qint64>(9, 10) << QList<int>{0, 1000, 2000, 4000, 8000, 16000, 32000, 60000, 60000};
        QTest::newRow("a minute's run starts over")
            << QList<qint64>{0, 0, 0, 60000, 0} << QList<int>{0, 1000, 2000, 0, 1000};
        QTest::newRow("a shorter run does not") << QList<qint64>{0, 59999, 59999} << QList<int>{0, 1000, 2000};
    }

    void companionRestartDelays()
    {
        QFETCH(QList<qint64>, ranMs);
        QFETCH(QList<int>, delaysMs);
        int crashesInARow = 0;
        QList<int> delays;
        for (const qint64 ran : ranMs)
            delays << BcReceiveMonitor::restartDelayMs(crashesInARow, ran);
        QCOMPARE(delays, delaysMs);
    }

    void matchedRebootEndsAgentAtOnce()
    {
        // A long update runs and the companion is up when the reboot comes.
        FakeScript slow;
        slow.sleepSeconds = 30;
        const QString reboot = QStringLiteral("/opt/zoderer/login/reboot.sh");
        QVERIFY(Sandbox::writeRecordingScript(script("update.sh"), slow));
        QVERIFY(Sandbox::writeRecordingScript(reboot));
        QVERIFY(Sandbox::writeFile(script("ReceiveBc"),
                                   "#!/bin/sh\necho $$ > /tmp/receivebc.pid\nexec sleep 1000\n", true));
        QVERIFY(Sandbox::writeFile(UploadFile, "package"));
        QVERIFY(startAgent());
        StreamClient update(Terminal);
        QVERIFY(update.connected() && update.send(requestBlock("UPDATE_REQUEST")));
        QTRY_COMPARE(Sandbox::recordedCalls(script("update.sh")).size(), 1);
        QTRY_VERIFY(Sandbox::readFile("/tmp/receivebc.pid").endsWith('\n'));
        const QByteArray companion = Sandbox::readFile("/tmp/receivebc.pid").trimmed();
        QVERIFY(runs(companion));

        std::unique_ptr<QUdpSocket> sender(Sandbox::udpSocket("console", 0));
        QVERIFY(sender);
        const QByteArray request =
            QByteArray::fromStdString(PreData("TERMINALREBOOT_REQUEST", "[-1062731500]").toString());
        QCOMPARE(sender->writeDatagram(request, QHostAddress(Terminal), 9800), qint64(request.size()));
        QVERIFY(agent->waitForExit(3000));
        QCOMPARE(agent->process().exitStatus(), QProcess::NormalExit);
        QCOMPARE(agent->process().exitCode(), 0);
        QTRY_COMPARE(Sandbox::recordedCalls(reboot).size(), 1);
        QTRY_VERIFY(!runs(companion));
    }

    void companionEndingNormallyStaysEnded_data()
    {
        QTest::addColumn<int>("status");
        QTest::newRow("status 0") << 0;
        QTest::newRow("status 1") << 1;
    }

    void companionEndingNormallyStaysEnded()
    {
        QFETCH(int, status);
        QVERIFY(Sandbox::writeFile(script("ReceiveBc"),
                                   "#!/bin/sh\necho run >> /tmp/receivebc.runs\nexit "
                                       + QByteArray::number(status) + "\n",
                                   true));
        QVERIFY(startAgent());
        QTRY_COMPARE(lineCount("/tmp/receivebc.runs"), 1);
        QTest::qWait(1500);
        QCOMPARE(lineCount("/tmp/receivebc.runs"), 1);
        QCOMPARE(agent->countStderr("BcReceiveMonitor::onError"), 0);
    }
};

SANDBOX_TEST_MAIN(TestAgentTcp)
#include "tst_agent_tcp.moc"
