#include "rolloutbatch.h"

#include <QThread>

RolloutBatch::RolloutBatch(const std::vector<quint32>& addresses, const QString& package,
                           const QString& expectedVersion, int timeoutMs)
    : m_waiting(addresses.size())
{
    for (const quint32 address : addresses) {
        m_threads.emplace_back(QThread::create([=, this] {
            TerminalUpdate::Outcome outcome =
                TerminalUpdate::run(address, package, expectedVersion, timeoutMs);
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_ended.emplace_back(address, std::move(outcome));
            m_changed.notify_one();
        }));
        m_threads.back()->start();
    }
}

RolloutBatch::~RolloutBatch()
{
    for (const auto& thread : m_threads)
        thread->wait();
}

std::pair<quint32, TerminalUpdate::Outcome> RolloutBatch::next()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_changed.wait(lock, [this] { return !m_ended.empty(); });
    auto ended = std::move(m_ended.front());
    m_ended.erase(m_ended.begin());
    --m_waiting;
    return ended;
}
