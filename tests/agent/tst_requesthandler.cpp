#include "sandboxtestmain.h"

#include "requesthandler.h"
#include "shareprotocol.h"

#include <QThread>

#include <atomic>
#include <condition_variable>
#include <mutex>

namespace {

// A task that holds its worker until released and counts its deletions.
struct Gate
{
    std::mutex mutex;
    std::condition_variable changed;
    bool open = false;
    int running = 0;
    int maxRunning = 0;
    int deleted = 0;
};

class GatedTask : public PreData
{
public:
    explicit GatedTask(Gate& gate) : PreData("GATED", ""), m_gate(gate) {}
    ~GatedTask() override
    {
        const std::lock_guard lock(m_gate.mutex);
        ++m_gate.deleted;
        m_gate.changed.notify_all();
    }
    void dealTask() override
    {
        {
            std::unique_lock lock(m_gate.mutex);
            ++m_gate.running;
            m_gate.maxRunning = std::max(m_gate.maxRunning, m_gate.running);
            m_gate.changed.notify_all();
            // Bounded, so that a failed check cannot leave the pool waiting.
            m_gate.changed.wait_for(lock, std::chrono::seconds(20), [this] { return m_gate.open; });
            --m_gate.running;
        }
        delete this;
    }

private:
    Gate& m_gate;
};

} // namespace

class TestRequestHandler : public QObject
{
    Q_OBJECT

private:
    static bool waitUntil(Gate& gate, const std::function<bool()>& condition)
    {
        std::unique_lock lock(gate.mutex);
        return gate.changed.wait_for(lock, std::chrono::seconds(10), condition);
    }

private slots:
    void nullIsIgnored()
    {
        RequestHandler handler;
        handler.handleRequest(nullptr);
        handler.handleStreamTask(nullptr);
        QCOMPARE(handler.waitingRequests() + handler.waitingStreamTasks(), 0);
    }

    void poolsRunTheirWorkers_data()
    {
        QTest::addColumn<bool>("stream");
        QTest::newRow("datagram requests") << false;
        QTest::newRow("stream tasks") << true;
    }

    // Each pool runs as many tasks as it has workers and queues the next,
    // whatever the other pool is doing.
    void poolsRunTheirWorkers()
    {
        QFETCH(bool, stream);
        Gate gate;
        RequestHandler handler;
        const int workers = stream ? QThread::idealThreadCount() : RequestHandler::RequestWorkers;
        const auto hand = [&](bool toStreams) {
            if (toStreams)
                handler.handleStreamTask(new GatedTask(gate));
            else
                handler.handleRequest(new GatedTask(gate));
        };
        const auto waiting = [&] {
            return stream ? handler.waitingStreamTasks() : handler.waitingRequests();
        };
        for (int i = 0; i < workers + 1; ++i)
            hand(stream);
        QVERIFY(waitUntil(gate, [&] { return gate.running == workers; }));
        QTest::qWait(100);
        QCOMPARE(waiting(), 1);
        // The other pool still has every worker free.
        hand(!stream);
        QVERIFY(waitUntil(gate, [&] { return gate.running == workers + 1; }));
        {
            const std::lock_guard lock(gate.mutex);
            QCOMPARE(waiting(), 1);
            gate.open = true;
            gate.changed.notify_all();
        }
        QVERIFY(waitUntil(gate, [&] { return gate.deleted == workers + 2; }));
        QCOMPARE(gate.maxRunning, workers + 1);
        QCOMPARE(waiting(), 0);
    }

    void queueIsBounded()
    {
        const int workers = RequestHandler::RequestWorkers;
        Gate gate;
        RequestHandler handler;
        const int offered = workers + RequestHandler::MaxWaitingTasks + 50;
        for (int i = 0; i < offered; ++i) {
            handler.handleRequest(new GatedTask(gate));
            // Let the first ones reach their workers before the queue fills.
            if (i == workers - 1)
                QVERIFY(waitUntil(gate, [&] { return gate.running == workers; }));
        }
        QCOMPARE(handler.waitingRequests(), RequestHandler::MaxWaitingTasks);
        {
            const std::lock_guard lock(gate.mutex);
            // The dropped tasks were deleted at once, never run.
            QCOMPARE(gate.deleted, offered - workers - RequestHandler::MaxWaitingTasks);
            gate.open = true;
            gate.changed.notify_all();
        }
        QVERIFY(waitUntil(gate, [&] { return gate.deleted == offered; }));
        QCOMPARE(handler.waitingRequests(), 0);
    }
};

SANDBOX_TEST_MAIN(TestRequestHandler)
#include "tst_requesthandler.moc"
