#include "sandboxtestmain.h"

#include "handlerunnable.h"
#include "requesthandler.h"
#include "shareprotocol.h"

#include <QThread>
#include <QThreadPool>

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
            m_gate.changed.wait(lock, [this] { return m_gate.open; });
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
        QCOMPARE(HandleRunnable::waiting(), 0);
    }

    void poolRunsAsManyAsCores()
    {
        const int cores = QThread::idealThreadCount();
        QCOMPARE(QThreadPool::globalInstance()->maxThreadCount(), cores);
        Gate gate;
        RequestHandler handler;
        for (int i = 0; i < cores + 1; ++i)
            handler.handleRequest(new GatedTask(gate));
        QVERIFY(waitUntil(gate, [&] { return gate.running == cores; }));
        QTest::qWait(100);
        {
            const std::lock_guard lock(gate.mutex);
            QCOMPARE(gate.running, cores);
            QCOMPARE(HandleRunnable::waiting(), 1);
            gate.open = true;
            gate.changed.notify_all();
        }
        QVERIFY(waitUntil(gate, [&] { return gate.deleted == cores + 1; }));
        QCOMPARE(gate.maxRunning, cores);
        QVERIFY(QThreadPool::globalInstance()->waitForDone(5000));
        QCOMPARE(HandleRunnable::waiting(), 0);
    }

    void queueIsBounded()
    {
        const int cores = QThread::idealThreadCount();
        Gate gate;
        RequestHandler handler;
        const int offered = cores + RequestHandler::MaxWaitingTasks + 50;
        for (int i = 0; i < offered; ++i) {
            handler.handleRequest(new GatedTask(gate));
            // Let the first ones reach their workers before the queue fills.
            if (i == cores - 1)
                QVERIFY(waitUntil(gate, [&] { return gate.running == cores; }));
        }
        QCOMPARE(HandleRunnable::waiting(), RequestHandler::MaxWaitingTasks);
        {
            const std::lock_guard lock(gate.mutex);
            // The dropped tasks were deleted at once, never run.
            QCOMPARE(gate.deleted, offered - cores - RequestHandler::MaxWaitingTasks);
            gate.open = true;
            gate.changed.notify_all();
        }
        QVERIFY(waitUntil(gate, [&] { return gate.deleted == offered; }));
        QVERIFY(QThreadPool::globalInstance()->waitForDone(5000));
        QCOMPARE(HandleRunnable::waiting(), 0);
    }
};

SANDBOX_TEST_MAIN(TestRequestHandler)
#include "tst_requesthandler.moc"
