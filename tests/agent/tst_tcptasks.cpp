// The TCP tasks on one end of a socket pair, the test playing the console
// on the other: the byte-exact answers, the upload's file handling, and the
// socket helpers every task sends with.
#include "sandboxtestmain.h"

#include "acceptuploadfile.h"
#include "sendfile.h"
#include "sendoverlay.h"
#include "socketio.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QtEndian>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstddef>
#include <thread>

#include <fcntl.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/statvfs.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

const QString UploadFile = QString::fromLatin1(AcceptUploadFile::UploadFilePath);

// A connected stream pair: the task owns one end, the test holds the other.
struct Connection
{
    int task = -1;
    int peer = -1;

    Connection()
    {
        int ends[2];
        if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) == 0) {
            task = ends[0];
            peer = ends[1];
            SocketIo::setTimeouts(peer, 10000);
        }
    }
    ~Connection()
    {
        if (peer >= 0)
            ::close(peer);
    }

    // Everything the task sends until it closes; sets closed when it did.
    QByteArray readAll(bool* closed = nullptr) const
    {
        QByteArray bytes;
        char buffer[65536];
        qint64 n;
        while ((n = SocketIo::receiveSome(peer, buffer, sizeof buffer)) > 0)
            bytes.append(buffer, n);
        // Closing with unread bytes resets the connection.
        if (closed)
            *closed = n == 0 || errno == ECONNRESET;
        return bytes;
    }

    void closePeer()
    {
        ::close(peer);
        peer = -1;
    }
};

PreData packet(const char* key, const QByteArray& content, int socket)
{
    PreData request(key, content.toStdString());
    request.extra = QVariant(socket);
    return request;
}

// Makes sendfile() fail with error on the calling thread only, as it does
// for a file whose file system cannot feed it.
bool refuseSendfileOnThisThread(int error)
{
#ifdef __NR_sendfile64
    const quint32 otherCall = __NR_sendfile64;
#else
    const quint32 otherCall = __NR_sendfile;
#endif
    sock_filter filter[] = {
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_sendfile, 1, 0),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, otherCall, 0, 1),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | (quint32(error) & SECCOMP_RET_DATA)),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
    };
    const sock_fprog program = {sizeof filter / sizeof filter[0], filter};
    return ::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0
           && ::prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) == 0;
}

// Counts the SIGPIPEs delivered to the process while it exists, in place of
// whatever handles them otherwise (the test library reports and goes on).
class PipeSignalCounter
{
public:
    PipeSignalCounter()
    {
        s_count = 0;
        struct sigaction counting = {};
        counting.sa_handler = [](int) { ++s_count; };
        sigemptyset(&counting.sa_mask);
        sigaction(SIGPIPE, &counting, &m_previous);
    }
    ~PipeSignalCounter() { sigaction(SIGPIPE, &m_previous, nullptr); }
    PipeSignalCounter(const PipeSignalCounter&) = delete;
    PipeSignalCounter& operator=(const PipeSignalCounter&) = delete;

    static int count() { return s_count; }

private:
    static inline std::atomic_int s_count = 0;
    struct sigaction m_previous = {};
};

// The task's answer to a file request, and whether it closed the connection.
// With sendfileError, sendfile() fails with it on the task's thread.
QByteArray fetch(const QByteArray& content, bool* closed, int sendfileError = 0)
{
    Connection connection;
    auto* task = new SendFile(packet("FILE_REQUEST", content, connection.task));
    std::thread worker([task, sendfileError, socket = connection.task] {
        if (sendfileError == 0 || refuseSendfileOnThisThread(sendfileError)) {
            task->dealTask();
        } else {
            ::close(socket);
            delete task;
        }
    });
    const QByteArray answer = connection.readAll(closed);
    worker.join();
    return answer;
}

QByteArray randomBytes(qsizetype size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator generator(size);
    for (char& byte : bytes)
        byte = char(generator.bounded(256));
    return bytes;
}

QStringList partialUploads()
{
    return QDir(QStringLiteral("/tmp")).entryList({QStringLiteral("uploadfile.tar.gz.*")},
                                                  QDir::Files | QDir::Hidden | QDir::System);
}

} // namespace

class TestTcpTasks : public QObject
{
    Q_OBJECT

    // Runs an upload task with the given argument text while the peer sends
    // bytes and then, unless keepOpen, closes its end.
    static void upload(const QByteArray& arguments, const QByteArray& bytes, bool keepOpen = false,
                       int timeoutMs = 10000)
    {
        Connection connection;
        SocketIo::setTimeouts(connection.task, timeoutMs);
        auto* task = new AcceptUploadFile(packet("UPLOAD_REQUEST", arguments, connection.task));
        std::thread worker([task] { task->dealTask(); });
        // A task that rejects its arguments may close before all is sent.
        SocketIo::sendAll(connection.peer, bytes.constData(), bytes.size());
        if (!keepOpen)
            ::shutdown(connection.peer, SHUT_WR);
        bool closed = false;
        const QByteArray answer = connection.readAll(&closed);
        worker.join();
        QCOMPARE(answer, QByteArray()); // an upload is never answered
        QVERIFY(closed);
    }

    static QByteArray sizeArguments(qint64 size)
    {
        return "package.tar.gz;1234;" + QByteArray::number(size);
    }

private slots:
    void init()
    {
        QFile::remove(UploadFile);
        QFile::remove(QStringLiteral("/tmp/precious"));
    }

    void sendAllWritesEverything()
    {
        Connection connection;
        // Far more than a socket buffer: partial sends must be continued.
        const QByteArray block = randomBytes(8 * 1024 * 1024);
        QByteArray received;
        std::thread reader([&connection, &received] { received = connection.readAll(); });
        QVERIFY(SocketIo::sendLength(connection.task, qint32(block.size())));
        QVERIFY(SocketIo::sendAll(connection.task, block.constData(), block.size()));
        ::close(connection.task);
        reader.join();
        QCOMPARE(received.size(), block.size() + 4);
        QVERIFY(received.mid(4) == block);
    }

    void sendLengthIsLittleEndian()
    {
        Connection connection;
        QVERIFY(SocketIo::sendLength(connection.task, 10));
        QVERIFY(SocketIo::sendLength(connection.task, 0x01020304));
        QVERIFY(SocketIo::sendLength(connection.task, -1));
        ::close(connection.task);
        QCOMPARE(connection.readAll(), QByteArray("\x0a\0\0\0\x04\x03\x02\x01\xff\xff\xff\xff", 12));
    }

    void sendToClosedPeerFails()
    {
        // No SIGPIPE may end the agent when a console goes away mid-answer.
        const PipeSignalCounter pipeSignals;
        Connection connection;
        connection.closePeer();
        const QByteArray block(1024, 'x');
        QVERIFY(!SocketIo::sendAll(connection.task, block.constData(), block.size()));
        QVERIFY(!SocketIo::sendLength(connection.task, 1));
        QVERIFY(Sandbox::writeFile(QStringLiteral("/tmp/files/block"), block));
        const int file = ::open("/tmp/files/block", O_RDONLY | O_CLOEXEC);
        QVERIFY(file >= 0);
        QCOMPARE(SocketIo::sendFromFile(connection.task, file, block.size()), -1);
        QCOMPARE(errno, EPIPE);
        ::close(file);
        ::close(connection.task);
        QCOMPARE(pipeSignals.count(), 0);
    }

    void fileName_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QByteArray>("name");
        QTest::newRow("member") << QByteArray("{\"fileName\":\"/etc/x\"}") << QByteArray("/etc/x");
        QTest::newRow("blanks, other members")
            << QByteArray(" { \"a\" : 1 , \"fileName\" : \"f\" } trailing") << QByteArray("f");
        QTest::newRow("not json") << QByteArray("/etc/x") << QByteArray();
        QTest::newRow("empty") << QByteArray() << QByteArray();
        QTest::newRow("array") << QByteArray("[\"/etc/x\"]") << QByteArray();
        QTest::newRow("missing") << QByteArray("{\"file\":\"/etc/x\"}") << QByteArray();
        QTest::newRow("number") << QByteArray("{\"fileName\":7}") << QByteArray();
        QTest::newRow("true") << QByteArray("{\"fileName\":true}") << QByteArray();
        QTest::newRow("null") << QByteArray("{\"fileName\":null}") << QByteArray();
        QTest::newRow("object") << QByteArray("{\"fileName\":{}}") << QByteArray();
    }

    void fileName()
    {
        QFETCH(QByteArray, content);
        QTEST(QByteArray::fromStdString(SendFile::fileName(content.toStdString())), "name");
    }

    void sendFile_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QByteArray>("answer");
        const QByteArray ten("0123456789");
        QTest::newRow("ten bytes") << QByteArray("{\"fileName\":\"/tmp/files/ten\"}")
                                   << QByteArray("\x0a\0\0\0", 4) + ten;
        QTest::newRow("empty file") << QByteArray("{\"fileName\":\"/tmp/files/empty\"}")
                                    << QByteArray("\0\0\0\0", 4);
        const QByteArray big = randomBytes(3 * 1024 * 1024 + 7);
        QVERIFY(Sandbox::writeFile(QStringLiteral("/tmp/files/big"), big));
        QTest::newRow("several blocks") << QByteArray("{\"fileName\":\"/tmp/files/big\"}")
                                        << QByteArray("\x07\0\x30\0", 4) + big;
        QTest::newRow("missing") << QByteArray("{\"fileName\":\"/tmp/files/none\"}") << QByteArray();
        QTest::newRow("bad json") << QByteArray("{\"fileName\":") << QByteArray();
        QTest::newRow("not a string") << QByteArray("{\"fileName\":1}") << QByteArray();
        QTest::newRow("directory") << QByteArray("{\"fileName\":\"/tmp/files\"}") << QByteArray();
        QTest::newRow("device") << QByteArray("{\"fileName\":\"/dev/zero\"}") << QByteArray();
        // Its length would not fit the signed 32-bit length on the wire.
        QTest::newRow("beyond 2 GiB") << QByteArray("{\"fileName\":\"/tmp/files/huge\"}")
                                      << QByteArray();
        // The kernel's files state no size (/proc) or a page (sysfs): the
        // length sent is what reading them gave, unless that is too much.
        for (const char* name : {"/proc/version", "/sys/class/net/lo/address"}) {
            const QByteArray bytes = Sandbox::readFile(QString::fromLatin1(name));
            QVERIFY(!bytes.isEmpty());
            QByteArray length(4, '\0');
            qToLittleEndian(qint32(bytes.size()), length.data());
            QTest::newRow(name) << "{\"fileName\":\"" + QByteArray(name) + "\"}" << length + bytes;
        }
        QTest::newRow("no stated size, too long")
            << QByteArray("{\"fileName\":\"/proc/self/pagemap\"}") << QByteArray();
        QVERIFY(Sandbox::writeFile(QStringLiteral("/tmp/files/ten"), ten));
        QVERIFY(Sandbox::writeFile(QStringLiteral("/tmp/files/empty"), QByteArray()));
        QFile huge(QStringLiteral("/tmp/files/huge"));
        QVERIFY(huge.open(QIODevice::WriteOnly) && huge.resize(qint64(3) << 30)); // sparse
    }

    void sendFile()
    {
        QFETCH(QByteArray, content);
        QFETCH(QByteArray, answer);
        bool closed = false;
        QCOMPARE(fetch(content, &closed), answer);
        QVERIFY(closed);
    }

    void sendFileWithoutKernelCopy_data()
    {
        QTest::addColumn<int>("error");
        QTest::addColumn<bool>("whole");
        // The file system cannot feed sendfile(), or the kernel lacks it:
        // the file goes through a buffer instead.
        QTest::newRow("EINVAL") << EINVAL << true;
        QTest::newRow("ENOSYS") << ENOSYS << true;
        // A real failure is not hidden by a second attempt.
        QTest::newRow("EIO") << EIO << false;
    }

    void sendFileWithoutKernelCopy()
    {
        QFETCH(int, error);
        QFETCH(bool, whole);
        const QByteArray big = randomBytes(1024 * 1024 + 3);
        QVERIFY(Sandbox::writeFile(QStringLiteral("/tmp/files/buffered"), big));
        bool closed = false;
        const QByteArray answer =
            fetch("{\"fileName\":\"/tmp/files/buffered\"}", &closed, error);
        QVERIFY(closed);
        QCOMPARE(answer.left(4), QByteArray("\x03\0\x10\0", 4));
        QCOMPARE(answer.size(), whole ? big.size() + 4 : 4);
        QVERIFY(answer.mid(4) == big.left(answer.size() - 4));
    }

    void sendFileToConsoleThatLeaves()
    {
        // The console goes away after the length: the task ends, the agent lives on.
        const PipeSignalCounter pipeSignals;
        QVERIFY(Sandbox::writeFile(QStringLiteral("/tmp/files/large"), randomBytes(8 * 1024 * 1024)));
        Connection connection;
        auto* task = new SendFile(
            packet("FILE_REQUEST", "{\"fileName\":\"/tmp/files/large\"}", connection.task));
        std::thread worker([task] { task->dealTask(); });
        char length[4];
        QCOMPARE(SocketIo::receiveSome(connection.peer, length, 4, MSG_WAITALL), 4);
        connection.closePeer();
        worker.join();
        QCOMPARE(pipeSignals.count(), 0);
    }

    void overlayClosesWithoutAnswer()
    {
        Connection connection;
        auto* task = new SendOverlay(packet("OVERLAY_REQUEST", "anything", connection.task));
        task->dealTask();
        bool closed = false;
        QCOMPARE(connection.readAll(&closed), QByteArray());
        QVERIFY(closed);
    }

    void uploadComplete()
    {
        const QByteArray package = randomBytes(2 * 1024 * 1024 + 11);
        upload(sizeArguments(package.size()), package);
        QCOMPARE(Sandbox::readFile(UploadFile), package);
        QCOMPARE(QFileInfo(UploadFile).permissions() & (QFile::ReadOther | QFile::WriteOther),
                 QFile::Permissions());
        QCOMPARE(partialUploads(), QStringList());
    }

    void uploadOfNothing()
    {
        // An announced size of 0, or one that is not a number, is met by an
        // empty stream.
        upload("a;b;0", QByteArray());
        QVERIFY(QFileInfo(UploadFile).isFile());
        QCOMPARE(QFileInfo(UploadFile).size(), 0);
        upload("a;b;many", QByteArray());
        QCOMPARE(QFileInfo(UploadFile).size(), 0);
    }

    void uploadLengthMismatchKeepsStagedPackage_data()
    {
        QTest::addColumn<QByteArray>("arguments");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("cut short") << sizeArguments(100000) << randomBytes(40000);
        QTest::newRow("too many") << sizeArguments(100) << randomBytes(150);
    }

    void uploadLengthMismatchKeepsStagedPackage()
    {
        QFETCH(QByteArray, arguments);
        QFETCH(QByteArray, bytes);
        QVERIFY(Sandbox::writeFile(UploadFile, "older package"));
        upload(arguments, bytes);
        QCOMPARE(Sandbox::readFile(UploadFile), QByteArray("older package"));
        QCOMPARE(partialUploads(), QStringList());
    }

    void uploadStalledPeerTimesOut()
    {
        QTest::ignoreMessage(QtWarningMsg,
                             "AcceptUploadFile::dealTask: the peer stalled, receive timed out");
        upload(sizeArguments(1000), randomBytes(10), true, 300);
        QVERIFY(!QFileInfo::exists(UploadFile));
        QCOMPARE(partialUploads(), QStringList());
    }

    void uploadRefusedTouchesNothing_data()
    {
        QTest::addColumn<QByteArray>("arguments");
        QTest::addColumn<QString>("warning");
        const QString argumentError = QStringLiteral("^AcceptUploadFile::dealTask: argument error$");
        QTest::newRow("two fields") << QByteArray("a;5") << argumentError;
        QTest::newRow("four fields") << QByteArray("a;b;5;d") << argumentError;
        QTest::newRow("empty") << QByteArray() << argumentError;
        struct statvfs tmp = {};
        QVERIFY(::statvfs("/tmp", &tmp) == 0);
        const qint64 room = qint64(tmp.f_bavail) * qint64(tmp.f_frsize) - AcceptUploadFile::FreeSpaceReserve;
        const QString sizeError = QStringLiteral("refused, the announced size");
        QTest::newRow("beyond the free space less the reserve") << sizeArguments(room + 65536) << sizeError;
        QTest::newRow("2^62") << sizeArguments(Q_INT64_C(1) << 62) << sizeError;
        QTest::newRow("negative") << QByteArray("a;b;-1") << sizeError;
    }

    void uploadRefusedTouchesNothing()
    {
        QFETCH(QByteArray, arguments);
        QFETCH(QString, warning);
        QVERIFY(Sandbox::writeFile(UploadFile, "older package"));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(warning));
        // The peer keeps its end open: only a refusal before the first read closes it in time.
        upload(arguments, "12345", true);
        QCOMPARE(Sandbox::readFile(UploadFile), QByteArray("older package"));
        QCOMPARE(partialUploads(), QStringList());
    }

    void uploadStopsWhenTmpFills()
    {
        // A /tmp of its own, 1 MiB beyond the reserve, that the test fills while the upload runs.
        QCOMPARE(Sandbox::run("mount", {"-t", "tmpfs", "-o", "size=9m", "small-tmp", "/tmp"}), 0);
        const auto unmount = qScopeGuard([] { Sandbox::run("umount", {"/tmp"}); });
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("/tmp is too full to go on"));
        Connection connection;
        SocketIo::setTimeouts(connection.task, 10000);
        auto* task = new AcceptUploadFile(packet("UPLOAD_REQUEST", sizeArguments(768 * 1024), connection.task));
        std::thread worker([task] { task->dealTask(); });
        const QByteArray package = randomBytes(768 * 1024);
        QVERIFY(SocketIo::sendAll(connection.peer, package.constData(), 256 * 1024));
        QTRY_COMPARE(partialUploads().size(), 1);
        QTRY_COMPARE(QFileInfo("/tmp/" + partialUploads().value(0)).size(), 256 * 1024);
        QVERIFY(Sandbox::writeFile(QStringLiteral("/tmp/filler"), QByteArray(640 * 1024, 'f')));
        // The task stops reading and closes: the rest may not all go.
        SocketIo::sendAll(connection.peer, package.constData() + 256 * 1024, 512 * 1024);
        ::shutdown(connection.peer, SHUT_WR);
        connection.readAll();
        worker.join();
        QVERIFY(!QFileInfo::exists(UploadFile));
        QCOMPARE(partialUploads(), QStringList());
    }

    void uploadReplacesPlantedLink()
    {
        QVERIFY(Sandbox::writeFile(QStringLiteral("/tmp/precious"), "keep me"));
        QVERIFY(QFile::link(QStringLiteral("/tmp/precious"), UploadFile));
        upload(sizeArguments(5), "fresh");
        QVERIFY(!QFileInfo(UploadFile).isSymLink());
        QCOMPARE(Sandbox::readFile(UploadFile), QByteArray("fresh"));
        QCOMPARE(Sandbox::readFile(QStringLiteral("/tmp/precious")), QByteArray("keep me"));

        // A failed upload leaves what was there as it was, and never writes through a link.
        QFile::remove(UploadFile);
        QVERIFY(QFile::link(QStringLiteral("/tmp/precious"), UploadFile));
        upload(sizeArguments(50), "short");
        QVERIFY(QFileInfo(UploadFile).isSymLink());
        QCOMPARE(Sandbox::readFile(QStringLiteral("/tmp/precious")), QByteArray("keep me"));
    }
};

SANDBOX_TEST_MAIN(TestTcpTasks)
#include "tst_tcptasks.moc"
