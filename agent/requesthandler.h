#pragma once

#include <QObject>
#include <QThreadPool>

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>

class PreData;

// Runs every task on a worker thread, so that the event loop never waits for
// a script, a transfer or a capture. A stream task (an upload, an update, a
// screen, a file) may hold its worker for minutes, so the two kinds of task
// have pools of their own: however many connections are busy, datagram
// requests (discovery, settings, reboot, power-off) still find a worker.
class RequestHandler : public QObject
{
    Q_OBJECT

public:
    // Datagrams cost a sender nothing, so the queue of waiting tasks is
    // bounded, per pool: beyond this many, new tasks are dropped rather than
    // letting a flood grow the queue, and the reports it triggers, without
    // limit.
    static constexpr int MaxWaitingTasks = 256;
    // Datagram tasks are short (a report, a settings script, a power
    // command); a second worker keeps one slow script from delaying the rest.
    static constexpr int RequestWorkers = 2;
    // Reports begin at least this far apart: under a flood of requests the
    // settings script runs ten times a second, not back to back.
    static constexpr int ReportSpacingMs = 100;

    explicit RequestHandler(QObject* parent = nullptr);

    int streamWorkers() const { return m_streams.threads.maxThreadCount(); }
    // Tasks handed over that have not begun to run yet.
    int waitingRequests() const { return m_requests.waiting.load(); }
    int waitingStreamTasks() const { return m_streams.waiting.load(); }

public slots:
    // A datagram request, or the agent's own report. Reports are coalesced:
    // one is built at a time and at most one more waits; a report request
    // that finds one waiting is answered by it, since every report is a
    // broadcast that all consoles hear. The waiting one is built after the
    // current one, so it shows any settings changed meanwhile.
    void handleRequest(PreData* preData);
    // The task of a TCP connection, which owns the connection's descriptor.
    void handleStreamTask(PreData* preData);

private:
    struct Pool
    {
        QThreadPool threads;
        std::atomic<int> waiting{0};
    };

    struct Reports
    {
        std::mutex mutex;
        bool building = false;
        std::chrono::steady_clock::time_point lastStart;
        bool waiting = false;      // a report was taken and has not begun to build
        PreData* held = nullptr;   // the waiting one, while another builds
    };

    // False when the pool's queue is full and the task was not taken.
    // connection, started, finished: see HandleRunnable.
    static bool start(Pool& pool, PreData* preData, int connection = -1, std::function<void()> started = {},
                      std::function<void()> finished = {});
    void queueReport(PreData* report);
    // Starts it at once, or when ReportSpacingMs have passed since the last
    // report began.
    void startReportInTime(PreData* report);
    void startReport(PreData* report);

    // Before the pools: a report that ends while a pool is destroyed still
    // looks here.
    Reports m_reports;
    // Destroying a pool waits for the tasks it runs.
    Pool m_requests;
    Pool m_streams;
};
