// termctl's TCP commands without a socket: their command lines, the request
// block, the upload argument text and the checks on the agent's answers.
#include "commandline.h"
#include "progress.h"
#include "shareprotocol.h"
#include "tcpcommands.h"
#include "tcpconnection.h"

#include "sandboxtestmain.h"

#include <QtTest>

#include <cstring>
#include <thread>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

// Most memory this process has held so far, in KiB.
static qint64 peakKiB()
{
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (QByteArray line; !(line = status.readLine()).isEmpty();) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

class TestTermctlTcp : public QObject
{
    Q_OBJECT

private slots:
    void commands()
    {
        CommandLine command = CommandLine::parse({"screenshot", "192.168.1.20", "-o", "s.jpg"});
        QCOMPARE(command.action, CommandLine::Action::Screenshot);
        QCOMPARE(command.destination, 0xc0a80114u);
        QCOMPARE(command.localPath, QString("s.jpg"));

        command = CommandLine::parse({"screenshot", "-o=dir/s.jpg", "10.0.0.5"});
        QCOMPARE(command.action, CommandLine::Action::Screenshot);
        QCOMPARE(command.destination, 167772165u);
        QCOMPARE(command.localPath, QString("dir/s.jpg"));

        command = CommandLine::parse({"upload", "10.0.0.5", "pkg 1.tar.gz"});
        QCOMPARE(command.action, CommandLine::Action::Upload);
        QCOMPARE(command.localPath, QString("pkg 1.tar.gz"));

        command = CommandLine::parse({"update", "10.0.0.5"});
        QCOMPARE(command.action, CommandLine::Action::Update);
        QCOMPARE(command.destination, 167772165u);

        command = CommandLine::parse({"get", "10.0.0.5", "/etc/hostname_s", "-o", "h"});
        QCOMPARE(command.action, CommandLine::Action::Get);
        QCOMPARE(command.remotePath, std::string("/etc/hostname_s"));
        QCOMPARE(command.localPath, QString("h"));


        for (const char* name : {"screenshot", "upload", "update", "get"})
            QCOMPARE(CommandLine::parse({name, "--help"}).action, CommandLine::Action::Help);
        QVERIFY(CommandLine::usage().contains("screenshot ADDR -o FILE"));
        QVERIFY(CommandLine::usage().contains("get ADDR PATH -o FILE"));
    }

    void longestPathThatFits()
    {
        // The request packet may take 255 bytes; the path grows up to that.
        QString path = "/";
        while (CommandLine::parse({"get", "1.1.1.1", path + 'p', "-o", "f"}).action
               == CommandLine::Action::Get)
            path += 'p';
        const std::string packet =
            PreData("FILE_REQUEST", TcpCommands::fileRequestContent(path.toStdString())).toString();
        QCOMPARE(packet.size(), std::size_t(255));
    }

    void requestBlock()
    {
        const QByteArray block = TcpConnection::requestBlock("UPDATE_REQUEST", "");
        QCOMPARE(block.size(), 256);
        QVERIFY(block.startsWith("##{\"content\":\"\",\"key\":\"UPDATE_REQUEST\",\"userId\":\"\"}\n"));
        QCOMPARE(block.mid(52), QByteArray(256 - 52, ' '));
        // The agent's view: the first 255 bytes parse to the request.
        PreData* parsed = PreData::unpack(block.left(255).constData(), QVariant());
        QVERIFY(parsed != nullptr);
        QCOMPARE(parsed->key, std::string("UPDATE_REQUEST"));
        delete parsed;

        QCOMPARE(TcpConnection::requestBlock("FILE_REQUEST", std::string(200, 'x')).size(), 256);
        QVERIFY(TcpConnection::requestBlock("FILE_REQUEST", std::string(300, 'x')).isEmpty());
    }

    void uploadContent()
    {
        QCOMPARE(TcpCommands::uploadContent("pkg.tar.gz", 3421780262u, 5242880),
                 std::string("pkg.tar.gz;3421780262;5242880"));
        // The agent splits at ";": a name must not add fields.
        QCOMPARE(TcpCommands::uploadContent("a;b\n\u20ac.tgz", 1, 2), std::string("a_b_\xe2\x82\xac.tgz;1;2"));
        QCOMPARE(TcpCommands::uploadContent("", 0, 0), std::string(";0;0"));
        // A long name is shortened until the request fits the agent's read.
        const std::string content = TcpCommands::uploadContent(QString(400, 'n'), 7, 123456789);
        QVERIFY(content.size() < 255);
        QVERIFY(content.ends_with("nn;7;123456789"));
        QVERIFY(!TcpConnection::requestBlock("UPLOAD_REQUEST", content).isEmpty());
        QVERIFY(TcpConnection::requestBlock("UPLOAD_REQUEST", "n" + content).isEmpty());
    }

    void crc32()
    {
        QCOMPARE(TcpCommands::crc32("123456789"), 0xcbf43926u);
        QCOMPARE(TcpCommands::crc32(""), 0u);
        // In pieces as in one go.
        QCOMPARE(TcpCommands::crc32("6789", TcpCommands::crc32("12345")), 0xcbf43926u);
    }

    // A fake terminal on port 9600 that announces a length and sends its own
    // count of bytes: termctl keeps exactly what was announced, or nothing.
    void fetchFromFakeTerminal_data()
    {
        QTest::addColumn<bool>("screenshot");
        QTest::addColumn<qint64>("announced");
        QTest::addColumn<qint64>("sent");
        QTest::addColumn<int>("status");
        QTest::newRow("exact") << false << qint64(100) << qint64(100) << 0;
        QTest::newRow("far more than announced") << false << qint64(100) << (qint64(256) << 20) << 0;
        QTest::newRow("less than announced") << false << qint64(100) << qint64(50) << 1;
        QTest::newRow("screenshot, more") << true << qint64(100) << (qint64(256) << 20) << 0;
        QTest::newRow("screenshot beyond its bound")
            << true << TcpCommands::MaxScreenshotBytes + 1 << TcpCommands::MaxScreenshotBytes + 1 << 1;
    }

    void fetchFromFakeTerminal()
    {
        QFETCH(bool, screenshot);
        QFETCH(qint64, announced);
        QFETCH(qint64, sent);
        QFETCH(int, status);
        const int server = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const int on = 1;
        ::setsockopt(server, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        sockaddr_in address = {};
        address.sin_family = AF_INET;
        address.sin_port = htons(TcpConnection::Port);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        QVERIFY(::bind(server, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0);
        QVERIFY(::listen(server, 1) == 0);
        std::thread terminal([server, announced, sent] {
            const int client = ::accept(server, nullptr, nullptr);
            char block[64 * 1024];
            ::recv(client, block, TcpConnection::RequestBlockSize, MSG_WAITALL);
            const quint32 length = quint32(announced);
            const char header[4] = {char(length), char(length >> 8), char(length >> 16), char(length >> 24)};
            ::send(client, header, 4, MSG_NOSIGNAL);
            std::memset(block, 'f', sizeof block);
            // Until all is sent or termctl has closed.
            for (qint64 left = sent; left > 0;) {
                const ssize_t n = ::send(client, block, size_t(qMin<qint64>(left, sizeof block)), MSG_NOSIGNAL);
                if (n <= 0)
                    break;
                left -= n;
            }
            ::close(client);
        });
        QTemporaryDir dir;
        const QString output = dir.path() + "/out";
        const qint64 peakBefore = peakKiB();
        QString error;
        const int result = screenshot ? TcpCommands::screenshot(INADDR_LOOPBACK, output, error)
                                      : TcpCommands::get(INADDR_LOOPBACK, "/f", output, error);
        terminal.join();
        ::close(server);
        QVERIFY2(result == status, qPrintable(error));
        QCOMPARE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
                 status == 0 ? QStringList{"out"} : QStringList());
        if (status == 0)
            QCOMPARE(QFileInfo(output).size(), announced);
        QVERIFY2(peakKiB() - peakBefore < 16 * 1024, "the answer was kept in memory");
    }

    void updateReply()
    {
        QString text;
        QVERIFY(TcpCommands::updateSucceeded(QByteArray("successfully!\0", 14), text));
        QCOMPARE(text, QString("successfully!"));
        QVERIFY(!TcpCommands::updateSucceeded(QByteArray("error: update failed!\0", 22), text));
        QCOMPARE(text, QString("error: update failed!"));
        QVERIFY(!TcpCommands::updateSucceeded(QByteArray("error: validation failed!\0", 26), text));
        QCOMPARE(text, QString("error: validation failed!"));
        QVERIFY(!TcpCommands::updateSucceeded("successfully!!", text));
        QVERIFY(!TcpCommands::updateSucceeded("successfully", text));
    }

    void progressText()
    {
        QCOMPARE(Progress::text("get", 1572864, 3145728), QString("get: 1.5 of 3.0 MiB (50%)"));
        QCOMPARE(Progress::text("get", 3145728, 3145728), QString("get: 3.0 of 3.0 MiB (100%)"));
        QCOMPARE(Progress::text("screenshot", 524288, -1), QString("screenshot: 0.5 MiB"));
    }
};

SANDBOX_TEST_MAIN(TestTermctlTcp)
#include "tst_termctl_tcp.moc"
