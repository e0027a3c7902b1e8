#include "sandboxtestmain.h"

#include "screenbuffer.h"
#include "sendscreen.h"
#include "testframe.h"

#include <QImage>
#include <QRegularExpression>
#include <QThread>
#include <QtEndian>

#include <ctime>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

QStringList recorded;

void recordMessage(QtMsgType, const QMessageLogContext&, const QString& message)
{
    recorded << message;
}

// Collects the log lines written while it lives.
class LogRecorder
{
public:
    LogRecorder() : m_previous(qInstallMessageHandler(recordMessage)) { recorded.clear(); }
    ~LogRecorder() { qInstallMessageHandler(m_previous); }
    LogRecorder(const LogRecorder&) = delete;
    LogRecorder& operator=(const LogRecorder&) = delete;

    // Lines beginning with the given texts, in their order.
    static QStringList matching(const QStringList& beginnings)
    {
        QStringList lines;
        for (const QString& line : recorded)
            for (const QString& beginning : beginnings)
                if (line.startsWith(beginning))
                    lines << line;
        return lines;
    }

private:
    QtMessageHandler m_previous;
};

// Both ends of a local stream connection: the agent's and the console's.
struct Connection
{
    int agent = -1;
    int console = -1;

    Connection()
    {
        int fds[2];
        if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds) == 0) {
            agent = fds[0];
            console = fds[1];
        }
    }

    // What the console receives until the agent's end is closed.
    QByteArray receiveAll()
    {
        QByteArray all;
        char chunk[65536];
        ssize_t n;
        while ((n = ::recv(console, chunk, sizeof chunk, 0)) > 0)
            all.append(chunk, n);
        ::close(console);
        return all;
    }
};

} // namespace

// Screen buffers and the serving of screen requests, on local socket pairs
// with the framebuffer stand-in preloaded: the buffer choice, the age rule,
// failed and skipped captures, and the answer on the connection.
class TestScreenBuffer : public QObject
{
    Q_OBJECT

    const QString fb0 = QStringLiteral("/tmp/fb0.raw");

    // One request served at time now; the bytes the console received.
    static QByteArray served(ScreenBuffer& first, ScreenBuffer& second, qint64 now)
    {
        Connection connection;
        QByteArray received;
        std::thread console([&] { received = connection.receiveAll(); });
        SendScreen::serve(connection.agent, first, second, now);
        ::close(connection.agent);
        console.join();
        return received;
    }

    // A 4-byte little-endian length and that many bytes of JPEG of the frame's size.
    static void verifyAnswer(const QByteArray& answer, const QSize& size)
    {
        QVERIFY(answer.size() > 4);
        QCOMPARE(qFromLittleEndian<qint32>(answer.constData()), qint32(answer.size() - 4));
        QImage image;
        QVERIFY(image.loadFromData(answer.mid(4), "JPEG"));
        QCOMPARE(image.size(), size);
    }

    static void waitForSecondAfter(qint64 seconds)
    {
        while (qint64(std::time(nullptr)) <= seconds)
            QThread::msleep(20);
    }

private slots:
    void init() { QVERIFY(TestFrame::install(0, fb0, 640, 480, 32)); }

    void bufferChoice()
    {
        QCOMPARE(SendScreen::getNewerBuffer(), &SendScreen::buffer1);
        QCOMPARE(SendScreen::getOlderBuffer(), &SendScreen::buffer1);

        ScreenBuffer first(QStringLiteral("buffer1"));
        ScreenBuffer second(QStringLiteral("buffer2"));
        QCOMPARE(SendScreen::newerOf(first, second), &first);
        QCOMPARE(SendScreen::olderOf(first, second), &first);

        QVERIFY(first.getScreenAndSave());
        QCOMPARE(SendScreen::newerOf(first, second), &first);
        QCOMPARE(SendScreen::olderOf(first, second), &second);

        waitForSecondAfter(first.time());
        QVERIFY(second.getScreenAndSave());
        QVERIFY(second.time() > first.time());
        QCOMPARE(SendScreen::newerOf(first, second), &second);
        QCOMPARE(SendScreen::olderOf(first, second), &first);

        // Filled in the same second (tried again should a second begin between).
        for (int tries = 0; tries < 5 && first.time() != second.time(); ++tries) {
            QVERIFY(first.getScreenAndSave());
            QVERIFY(second.getScreenAndSave());
        }
        QCOMPARE(first.time(), second.time());
        QCOMPARE(SendScreen::newerOf(first, second), &first);
        QCOMPARE(SendScreen::olderOf(first, second), &first);
    }

    void ageRule()
    {
        ScreenBuffer buffer(QStringLiteral("buffer1"));
        QVERIFY(SendScreen::needsCapture(buffer, qint64(std::time(nullptr))));
        QVERIFY(buffer.getScreenAndSave());
        const qint64 filled = buffer.time();
        QVERIFY(filled > 0);
        QVERIFY(!SendScreen::needsCapture(buffer, filled));
        QVERIFY(!SendScreen::needsCapture(buffer, filled + 2));
        QVERIFY(SendScreen::needsCapture(buffer, filled + 3));
    }

    void failedCaptureKeepsTime()
    {
        ScreenBuffer first(QStringLiteral("buffer1"));
        ScreenBuffer second(QStringLiteral("buffer2"));
        QVERIFY(first.getScreenAndSave());
        const qint64 filled = first.time();

        qputenv("FBSHIM_FB0_FAIL", "vscreeninfo");
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^Provider::getScreenData: FBIOGET"));
        QTest::ignoreMessage(QtWarningMsg, "Provider::getScreenImage: getScreenData error");
        QVERIFY(!first.getScreenAndSave());
        QCOMPARE(first.time(), filled);
        QVERIFY(!first.hasImage());
        QCOMPARE(SendScreen::newerOf(first, second), &first);
        QVERIFY(SendScreen::needsCapture(first, filled));

        // A request now gets nothing, and a capture into the other buffer.
        qunsetenv("FBSHIM_FB0_FAIL");
        QVERIFY(served(first, second, filled).isEmpty());
        QVERIFY(second.hasImage());
    }

    void requestSequence()
    {
        ScreenBuffer first(QStringLiteral("buffer1"));
        ScreenBuffer second(QStringLiteral("buffer2"));
        const QStringList steps = {"SendScreen::dealTask: ", "ScreenBuffer::getScreenAndSave: ",
                                   "sendBuffer size: "};
        LogRecorder log;

        // Nothing stored yet: the connection closes empty, buffer1 is filled.
        QVERIFY(served(first, second, qint64(std::time(nullptr))).isEmpty());
        QVERIFY(first.hasImage());
        QVERIFY(!second.hasImage());
        const qint64 filled = first.time();
        QStringList lines = LogRecorder::matching(steps);
        QCOMPARE(lines.size(), 5);
        QCOMPARE(lines.at(0), "SendScreen::dealTask: 1)get newer buffer:  \"buffer1\"");
        QVERIFY(lines.at(1).startsWith("SendScreen::dealTask: 2)get time diff: "));
        QCOMPARE(lines.at(2), "SendScreen::dealTask: buffer no image, wait...");
        QVERIFY(lines.at(3).startsWith("SendScreen::dealTask: 4)close connection"));
        QCOMPARE(lines.at(4), "ScreenBuffer::getScreenAndSave:  true");

        // 2 seconds old: the image, no capture.
        recorded.clear();
        verifyAnswer(served(first, second, filled + 2), QSize(640, 480));
        QVERIFY(!second.hasImage());
        lines = LogRecorder::matching(steps);
        QCOMPARE(lines.size(), 4);
        QCOMPARE(lines.at(1), "SendScreen::dealTask: 2)get time diff:  2");
        QCOMPARE(lines.at(2), "SendScreen::dealTask: 3)send image to client!!!");
        QVERIFY(lines.at(3).startsWith("sendBuffer size: "));

        // 3 seconds old: the image, then a capture into buffer2.
        recorded.clear();
        verifyAnswer(served(first, second, filled + 3), QSize(640, 480));
        QVERIFY(second.hasImage());
        lines = LogRecorder::matching(steps);
        QCOMPARE(lines.size(), 6);
        QCOMPARE(lines.at(2), "SendScreen::dealTask: 3)send image to client!!!");
        QVERIFY(lines.at(4).startsWith("SendScreen::dealTask: 4)close connection"));
        QCOMPARE(lines.at(5), "ScreenBuffer::getScreenAndSave:  true");
    }

    // A buffer being sent to a console that does not read is skipped, never waited for.
    void busyBufferIsSkipped()
    {
        QVERIFY(TestFrame::install(0, fb0, 1920, 1080, 32));
        ScreenBuffer first(QStringLiteral("buffer1"));
        ScreenBuffer second(QStringLiteral("buffer2"));
        QVERIFY(first.getScreenAndSave());
        const qint64 filled = first.time();

        Connection slow;
        const int small = 4096;
        QCOMPARE(::setsockopt(slow.agent, SOL_SOCKET, SO_SNDBUF, &small, sizeof small), 0);
        std::thread agent([&] {
            SendScreen::serve(slow.agent, first, second, filled + 1);
            ::close(slow.agent);
        });
        // Once bytes arrive the sender holds the lock, stuck on the full socket.
        int pending = 0;
        for (int i = 0; i < 500 && pending == 0; ++i) {
            QThread::msleep(10);
            ::ioctl(slow.console, FIONREAD, &pending);
        }
        QVERIFY(pending > 0);

        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression("^SendScreen::dealTask: send failed, may be client "
                                                "close, buffer is lock by another client"));
        QVERIFY(served(first, second, filled + 1).isEmpty());
        QTest::ignoreMessage(QtWarningMsg,
                             "ScreenBuffer::getScreenAndSave: cann't lock  \"buffer1\"");
        QVERIFY(!first.getScreenAndSave());
        QVERIFY(first.hasImage());
        QCOMPARE(first.time(), filled);

        const QByteArray answer = slow.receiveAll();
        agent.join();
        verifyAnswer(answer, QSize(1920, 1080));
    }

    void cleanupTestCase() { QFile::remove(fb0); }
};

SANDBOX_TEST_MAIN(TestScreenBuffer)
#include "tst_screenbuffer.moc"
