#pragma once

#include <QRunnable>

#include <atomic>
#include <functional>

class PreData;

// Runs one task on a pool thread. The task deletes itself; the pool deletes
// the runnable.
class HandleRunnable : public QRunnable
{
public:
    // waiting counts the pool's runnables that have not begun to run; this
    // one is counted from now until it runs. connection: the descriptor the
    // task talks to its peer on, held to SocketIo's minimum rate while the
    // task runs; -1 for a task without one. started and finished, when
    // given, are called on the pool thread around the task.
    HandleRunnable(PreData* preData, std::atomic<int>& waiting, int connection = -1,
                   std::function<void()> started = {}, std::function<void()> finished = {});

    void run() override;

private:
    PreData* m_preData;
    std::atomic<int>& m_waiting;
    int m_connection;
    std::function<void()> m_started;
    std::function<void()> m_finished;
};
