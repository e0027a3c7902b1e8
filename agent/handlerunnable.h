#pragma once

#include <QRunnable>

#include <atomic>

class PreData;

// Runs one task on a pool thread. The task deletes itself; the pool deletes
// the runnable.
class HandleRunnable : public QRunnable
{
public:
    // waiting counts the pool's runnables that have not begun to run; this
    // one is counted from now until it runs.
    HandleRunnable(PreData* preData, std::atomic<int>& waiting);

    void run() override;

private:
    PreData* m_preData;
    std::atomic<int>& m_waiting;
};
