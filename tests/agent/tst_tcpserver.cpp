// The TCP server in this process on port 9600 of the sandbox, with raw
// client sockets: which first packets become which tasks, which are closed
// without a byte, and how connections that stay silent are bounded. Also the
// request handler's treatment of a TCP task it has to drop.
#include "sandboxtestmain.h"

#include "acceptuploadfile.h"
#include "requesthandler.h"
#include "sendfile.h"
#include "sendoverlay.h"
#include "sendscreen.h"
#include "socketio.h"
#include "streamclient.h"
#include "terminaltcpserver.h"
#include "update.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QThreadPool>

#include <condition_variable>
#include <memory>
#include <mutex>

#include <sys/socket.h>
#include <unistd.h>

namespace {

QByteArray request(const char* key, const char* content = "")
{
    return QByteArray::fromStdString(PreData(key, content).toString());
}

// Holds every pool worker until released, like a pool full of long transfers.
struct Gate
{
    std::mutex mutex;
    std::condition_variable changed;
    bool open = false;
    int running = 0;
};

class GatedTask : public PreData
{
public:
    explicit GatedTask(Gate& gate) : PreData("GATED", ""), m_gate(gate) {}
    void dealTask() override
    {
        std::unique_lock lock(m_gate.mutex);
        ++m_gate.running;
        m_gate.changed.notify_all();
        // Bounded, so that a failed check cannot leave the pool waiting.
        m_gate.changed.wait_for(lock, std::chrono::seconds(20), [this] { return m_gate.open; });
        lock.unlock();
        delete this;
    }

private:
    Gate& m_gate;
};

} // namespace

class TestTcpServer : public QObject
{
    Q_OBJECT

    std::unique_ptr<TerminalTcpServer> server;
    QList<PreData*> tasks;

    // The task made from the first packet sent on client, if any.
    PreData* dispatched(StreamClient& client, const QByteArray& bytes)
    {
        if (!client.connected() || !client.send(bytes))
            return nullptr;
        if (!QTest::qWaitFor([this] { return !tasks.isEmpty(); }, 3000))
            return nullptr;
        return tasks.takeFirst();
    }

    static void release(PreData* task)
    {
        ::close(task->extra.toInt());
        delete task;
    }

private slots:
    void init()
    {
        server = std::make_unique<TerminalTcpServer>();
        connect(server.get(), &TerminalTcpServer::newRequest, this,
                [this](PreData* task) { tasks << task; });
    }

    void cleanup()
    {
        server.reset();
        for (PreData* task : std::as_const(tasks))
            release(task);
        tasks.clear();
        QVERIFY(QThreadPool::globalInstance()->waitForDone(5000));
    }

    void dispatch_data()
    {
        QTest::addColumn<QByteArray>("key");
        QTest::addColumn<QByteArray>("taskClass");
        QTest::newRow("screen") << QByteArray("SCREEN_REQUEST") << QByteArray("SendScreen");
        QTest::newRow("upload") << QByteArray("UPLOAD_REQUEST") << QByteArray("AcceptUploadFile");
        QTest::newRow("overlay") << QByteArray("OVERLAY_REQUEST") << QByteArray("SendOverlay");
        QTest::newRow("update") << QByteArray("UPDATE_REQUEST") << QByteArray("Update");
        QTest::newRow("file") << QByteArray("FILE_REQUEST") << QByteArray("SendFile");
    }

    void dispatch()
    {
        QFETCH(QByteArray, key);
        QFETCH(QByteArray, taskClass);
        StreamClient client;
        const QByteArray packet = "##{\"userId\":\"u7\",\"key\":\"" + key
                                  + "\",\"content\":\"a;b;3\"}\n";
        PreData* task = dispatched(client, packet);
        QVERIFY(task != nullptr);
        const QHash<QByteArray, bool> classes = {
            {"SendScreen", dynamic_cast<SendScreen*>(task) != nullptr},
            {"AcceptUploadFile", dynamic_cast<AcceptUploadFile*>(task) != nullptr},
            {"SendOverlay", dynamic_cast<SendOverlay*>(task) != nullptr},
            {"Update", dynamic_cast<Update*>(task) != nullptr},
            {"SendFile", dynamic_cast<SendFile*>(task) != nullptr}};
        for (auto it = classes.cbegin(); it != classes.cend(); ++it)
            QCOMPARE(it.value(), it.key() == taskClass);
        QCOMPARE(QByteArray::fromStdString(task->key), key);
        QCOMPARE(task->content, std::string("a;b;3"));
        QCOMPARE(task->userId, std::string());
        // The task's descriptor is this very connection, still open.
        QCOMPARE(task->extra.typeId(), int(QMetaType::Int));
        QVERIFY(SocketIo::sendAll(task->extra.toInt(), "ok", 2));
        release(task);
        QByteArray answer;
        QTRY_VERIFY(client.closed(&answer));
        QCOMPARE(answer, QByteArray("ok"));
        QCOMPARE(server->waitingConnections(), 0);
    }

    void paddedRequestIsWhole()
    {
        // A packet padded to the 256 bytes of the first read is taken whole
        // and nothing behind it: the following bytes stay for the task.
        StreamClient client;
        QByteArray block = request("UPLOAD_REQUEST", "p;0;4");
        block.append(256 - block.size(), ' ');
        PreData* task = dispatched(client, block + "DATA");
        QVERIFY(task != nullptr);
        char data[4];
        QCOMPARE(SocketIo::receiveSome(task->extra.toInt(), data, 4), 4);
        QCOMPARE(QByteArray(data, 4), QByteArray("DATA"));
        release(task);
    }

    void rejected_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("unknown key") << request("PRINT_REQUEST");
        QTest::newRow("key in small letters") << request("screen_request");
        QTest::newRow("UDP key") << request("TERMINALMSG_REQUEST");
        QTest::newRow("no ##") << QByteArray("{\"key\":\"SCREEN_REQUEST\"}");
        QTest::newRow("too short") << QByteArray("##");
        QTest::newRow("bad json") << QByteArray("##{\"key\":\"SCREEN_REQUEST\"");
        QTest::newRow("no key") << QByteArray("##{\"content\":\"x\"}");
        QTest::newRow("numeric key") << QByteArray("##{\"key\":5}");
        // 256 bytes: the last one is cut, and with it the closing brace.
        QByteArray full = "##{\"content\":\"" + QByteArray(256 - 37, 'x') + "\",\"key\":\"FILE_REQUEST\"}";
        QCOMPARE(full.size(), 256);
        QTest::newRow("256 bytes") << full;
    }

    void rejected()
    {
        QFETCH(QByteArray, bytes);
        StreamClient client;
        QVERIFY(client.connected() && client.send(bytes));
        QByteArray answer;
        QTRY_VERIFY(client.closed(&answer));
        QCOMPARE(answer, QByteArray());
        // A task of the rejected bytes would come before the next request's.
        StreamClient next;
        PreData* task = dispatched(next, request("FILE_REQUEST"));
        QVERIFY(task != nullptr);
        QCOMPARE(QByteArray::fromStdString(task->key), QByteArray("FILE_REQUEST"));
        release(task);
        QVERIFY(tasks.isEmpty());
    }

    void peerClosingFirst()
    {
        QTest::ignoreMessage(QtWarningMsg, "Server Recieve Data Failed");
        {
            StreamClient client;
            QVERIFY(client.connected());
            QTRY_COMPARE(server->waitingConnections(), 1);
        }
        QTRY_COMPARE(server->waitingConnections(), 0);
        QVERIFY(QThreadPool::globalInstance()->waitForDone(3000));
        QVERIFY(tasks.isEmpty());
    }

    void silentConnectionsHoldNoWorker()
    {
        std::vector<std::unique_ptr<StreamClient>> silent;
        for (int i = 0; i < 50; ++i)
            silent.push_back(std::make_unique<StreamClient>());
        QTRY_COMPARE(server->waitingConnections(), 50);
        QCOMPARE(QThreadPool::globalInstance()->activeThreadCount(), 0);
        // A request arriving behind them is read at once.
        StreamClient client;
        QElapsedTimer timer;
        timer.start();
        PreData* task = dispatched(client, request("OVERLAY_REQUEST"));
        QVERIFY(task != nullptr);
        QVERIFY(timer.elapsed() < 2000);
        release(task);
        for (const auto& connection : silent)
            QVERIFY(!connection->closed());
    }

    void silentConnectionTimesOut()
    {
        QTest::ignoreMessage(QtWarningMsg, "Server Recieve Data Failed");
        StreamClient client;
        QVERIFY(client.connected());
        QElapsedTimer timer;
        timer.start();
        QTRY_VERIFY_WITH_TIMEOUT(client.closed(), TerminalTcpServer::FirstPacketTimeoutMs + 3000);
        QVERIFY2(timer.elapsed() >= TerminalTcpServer::FirstPacketTimeoutMs - 1000,
                 qPrintable(QString::number(timer.elapsed())));
        QCOMPARE(server->waitingConnections(), 0);
    }

    void waitingConnectionsBounded()
    {
        const int extra = 3;
        for (int i = 0; i < extra; ++i)
            QTest::ignoreMessage(QtWarningMsg,
                                 "TerminalTcpServer::onNewConnection: too many connections without "
                                 "a request, closing the oldest");
        std::vector<std::unique_ptr<StreamClient>> clients;
        for (int i = 0; i < TerminalTcpServer::MaxWaitingConnections + extra; ++i) {
            clients.push_back(std::make_unique<StreamClient>());
            QVERIFY(clients.back()->connected());
            // One by one, so that "oldest" is well defined.
            if (i < TerminalTcpServer::MaxWaitingConnections)
                QTRY_COMPARE(server->waitingConnections(), i + 1);
            else
                QTRY_VERIFY(clients[i - TerminalTcpServer::MaxWaitingConnections]->closed());
        }
        QCOMPARE(server->waitingConnections(), TerminalTcpServer::MaxWaitingConnections);
        for (int i = 0; i < int(clients.size()); ++i)
            QCOMPARE(clients[i]->closed(), i < extra);
    }

    void droppedTcpTaskClosesItsDescriptor()
    {
        Gate gate;
        RequestHandler handler;
        const int cores = handler.streamWorkers();
        for (int i = 0; i < cores; ++i)
            handler.handleStreamTask(new GatedTask(gate));
        {
            std::unique_lock lock(gate.mutex);
            QVERIFY(gate.changed.wait_for(lock, std::chrono::seconds(10),
                                          [&] { return gate.running == cores; }));
        }
        for (int i = 0; i < RequestHandler::MaxWaitingTasks; ++i)
            handler.handleStreamTask(new GatedTask(gate));
        QCOMPARE(handler.waitingStreamTasks(), RequestHandler::MaxWaitingTasks);

        int ends[2];
        QCOMPARE(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends), 0);
        PreData tcpPacket("OVERLAY_REQUEST", "");
        tcpPacket.extra = QVariant(ends[0]);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("too many waiting tasks, dropped"));
        handler.handleStreamTask(new SendOverlay(tcpPacket));
        char byte;
        QCOMPARE(::recv(ends[1], &byte, 1, MSG_DONTWAIT), 0); // end of stream: closed
        ::close(ends[1]);

        const std::lock_guard lock(gate.mutex);
        gate.open = true;
        gate.changed.notify_all();
    }
};

SANDBOX_TEST_MAIN(TestTcpServer)
#include "tst_tcpserver.moc"
