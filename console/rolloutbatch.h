#pragma once

#include "terminalupdate.h"

#include <QString>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

class QThread;

// The terminals of one rollout batch, each on its own thread; the outcomes
// come back one at a time as they end, so that each is recorded at once.
class RolloutBatch
{
public:
    RolloutBatch(const std::vector<quint32>& addresses, const QString& package,
                 const QString& expectedVersion, int timeoutMs);
    // Waits for every thread of the batch.
    ~RolloutBatch();
    RolloutBatch(const RolloutBatch&) = delete;
    RolloutBatch& operator=(const RolloutBatch&) = delete;

    bool running() const { return m_waiting > 0; }
    // The next terminal to end, waiting for it.
    std::pair<quint32, TerminalUpdate::Outcome> next();

private:
    std::vector<std::unique_ptr<QThread>> m_threads;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<std::pair<quint32, TerminalUpdate::Outcome>> m_ended;
    std::size_t m_waiting = 0;
};
