#pragma once

#include <QRunnable>

#include <atomic>

class PreData;

// Runs one task on a pool thread. The task deletes itself; the pool deletes
// the runnable.
class HandleRunnable : public QRunnable
{
public:
    explicit HandleRunnable(PreData* preData);

    void run() override;

    // Runnables started on the pool that have not begun to run yet.
    static int waiting();

private:
    PreData* m_preData;
    static std::atomic<int> s_waiting;
};
