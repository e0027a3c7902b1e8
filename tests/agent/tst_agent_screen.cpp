#include "agentprocess.h"
#include "sandboxtestmain.h"

#include "shareprotocol.h"
#include "socketio.h"
#include "streamclient.h"
#include "testframe.h"

#include <QDateTime>
#include <QFile>
#include <QImage>
#include <QThread>
#include <QtEndian>

#include <memory>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// A console's connection to the agent's port 9600 with a screen request on it.
class ScreenClient
{
public:
    // receiveBuffer: a small receive window makes a console that reads slowly.
    explicit ScreenClient(int receiveBuffer = 0)
    {
        m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (receiveBuffer > 0)
            ::setsockopt(m_fd, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
        const timeval timeout = {15, 0};
        ::setsockopt(m_fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
        sockaddr_in address = {};
        address.sin_family = AF_INET;
        address.sin_port = htons(9600);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        const std::string request = PreData("SCREEN_REQUEST", "").toString();
        m_sent = ::connect(m_fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0
                 && SocketIo::sendAll(m_fd, request.data(), qint64(request.size()));
    }
    ~ScreenClient() { ::close(m_fd); }
    ScreenClient(const ScreenClient&) = delete;
    ScreenClient& operator=(const ScreenClient&) = delete;

    bool sent() const { return m_sent; }

    int pending() const
    {
        int bytes = 0;
        ::ioctl(m_fd, FIONREAD, &bytes);
        return bytes;
    }

    // Everything until the agent closes the connection; closed is false
    // when it was not closed within the receive time-out.
    QByteArray receiveAll(bool* closed)
    {
        QByteArray all;
        char chunk[65536];
        qint64 n;
        while ((n = SocketIo::receiveSome(m_fd, chunk, sizeof chunk)) > 0)
            all.append(chunk, n);
        *closed = n == 0;
        return all;
    }

private:
    int m_fd = -1;
    bool m_sent = false;
};

} // namespace

// The real agent in the sandbox, asked for screenshots over TCP while the
// framebuffer stand-in shows a 1920x1080 desktop: the first request only
// fills a buffer, later ones get the stored image, a stale image is
// refreshed after the answer, and a buffer busy with one console is skipped
// for another. The steps run in order against one agent.
class TestAgentScreen : public QObject
{
    Q_OBJECT

    static constexpr int Width = 1920;
    static constexpr int Height = 1080;
    std::unique_ptr<AgentProcess> agent;
    qint64 lastCapture = 0;  // a second no earlier than the agent's last capture

    int captures() { return agent->countStderr("ScreenBuffer::getScreenAndSave:  true"); }

    // Asks for a screenshot; the bytes received before the agent closed.
    static QByteArray request()
    {
        ScreenClient client;
        if (!client.sent())
            return "not sent";
        bool closed = false;
        const QByteArray answer = client.receiveAll(&closed);
        return closed ? answer : "not closed";
    }

    static void verifyScreenshot(const QByteArray& answer)
    {
        QVERIFY2(answer.size() > 4, answer.constData());
        QCOMPARE(qFromLittleEndian<qint32>(answer.constData()), qint32(answer.size() - 4));
        QImage image;
        QVERIFY(image.loadFromData(answer.mid(4), "JPEG"));
        QCOMPARE(image.size(), QSize(Width, Height));
        for (const TestFrame::Sample& sample : TestFrame::flatSamples(Width, Height)) {
            const QRgb seen = image.pixel(sample.x, sample.y);
            QVERIFY(qAbs(qRed(seen) - int(sample.rgb >> 16 & 0xff)) <= 12);
            QVERIFY(qAbs(qGreen(seen) - int(sample.rgb >> 8 & 0xff)) <= 12);
            QVERIFY(qAbs(qBlue(seen) - int(sample.rgb & 0xff)) <= 12);
        }
    }

    // Until a tenth of a second into the given second: the agent's time(2)
    // reads the kernel's coarse clock, which turns a second up to a clock tick
    // later than the precise clock QDateTime reads.
    static void waitUntilSecond(qint64 second)
    {
        while (QDateTime::currentMSecsSinceEpoch() < second * 1000 + 100)
            QThread::msleep(20);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(Sandbox::writeFile("/etc/hostname_s", "t01\n7\n"));
        QVERIFY(TestFrame::install(0, QStringLiteral("/tmp/fb0.raw"), Width, Height, 32));
        agent = std::make_unique<AgentProcess>();
        QVERIFY(agent->install() && agent->start() && agent->waitForStderr("Terminclient version"));
    }

    void firstRequestOnlyCaptures()
    {
        QCOMPARE(request(), QByteArray());
        QVERIFY(agent->waitForStderr("ScreenBuffer::getScreenAndSave:  true"));
        // Read once the capture is logged: the image's time stamp is taken when
        // the capture ends, which on a busy machine can be a second after the answer.
        lastCapture = QDateTime::currentSecsSinceEpoch();
        QCOMPARE(agent->countStderr("SendScreen::dealTask: buffer no image, wait..."), 1);
        QCOMPARE(agent->countStderr("screen_dev:  /dev/fb0"), 1);
    }

    void freshImageIsSentWithoutCapture()
    {
        verifyScreenshot(request());
        QVERIFY(agent->waitForStderr("sendBuffer size: "));
        // A capture is logged before the answer's connection closes, so
        // before a request sent after it.
        StreamClient next;
        QVERIFY(next.send(QByteArray::fromStdString(
            PreData("FILE_REQUEST", "{\"fileName\":\"/tmp/none\"}").toString())));
        QVERIFY(agent->waitForStderr("onShareProtocolDataProcess:  FILE_REQUEST"));
        QCOMPARE(captures(), 1);
    }

    void staleImageIsSentThenRefreshed()
    {
        waitUntilSecond(lastCapture + 3);
        verifyScreenshot(request());
        lastCapture = QDateTime::currentSecsSinceEpoch();
        // Captured before the connection was closed; the log may lag behind.
        QTRY_COMPARE(captures(), 2);
        QCOMPARE(agent->countStderr("SendScreen::dealTask: 1)get newer buffer:  \"buffer1\""), 3);
        QCOMPARE(agent->countStderr("SendScreen::dealTask: 4)close connection"), 2);
        // The refreshed buffer answers next.
        verifyScreenshot(request());
        QTRY_COMPARE(agent->countStderr("SendScreen::dealTask: 1)get newer buffer:  \"buffer2\""),
                     1);
    }

    void busyBufferGivesNothing()
    {
        // Small send buffers for new connections of this sandbox, so that the
        // image cannot all wait in the agent's socket.
        QFile wmem(QStringLiteral("/proc/sys/net/ipv4/tcp_wmem"));
        QVERIFY(wmem.open(QIODevice::WriteOnly));
        QVERIFY(wmem.write("4096 8192 16384\n") > 0);
        wmem.close();
        ScreenClient slow(4096);
        QVERIFY(slow.sent());
        // Once bytes arrive the agent holds the buffer, stuck on the small window.
        for (int i = 0; i < 500 && slow.pending() == 0; ++i)
            QThread::msleep(10);
        QVERIFY(slow.pending() > 0);
        QCOMPARE(request(), QByteArray());
        QVERIFY(agent->waitForStderr("SendScreen::dealTask: send failed"));
        QCOMPARE(agent->countStderr("sendBuffer size: "), 3);

        bool closed = false;
        verifyScreenshot(slow.receiveAll(&closed));
        QVERIFY(closed);
        QVERIFY(agent->waitForStderr("sendBuffer size: "));
        QTRY_COMPARE(agent->countStderr("sendBuffer size: "), 4);
        QCOMPARE(agent->countStderr("SendScreen::dealTask: send failed"), 1);
        QCOMPARE(captures(), 2);
    }

    void cleanupTestCase() { agent.reset(); }
};

SANDBOX_TEST_MAIN(TestAgentScreen)
#include "tst_agent_screen.moc"
