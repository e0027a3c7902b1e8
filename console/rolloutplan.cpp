#include "rolloutplan.h"

#include <algorithm>

RolloutPlan::RolloutPlan(const std::vector<quint32>& targets, const std::set<quint32>& done,
                         int batchSize, int maxFailures)
    : m_targets(targets), m_batchSize(batchSize), m_maxFailures(maxFailures)
{
    for (const quint32 target : m_targets)
        m_results.push_back(done.count(target) != 0 ? Result::DoneBefore : Result::Pending);
}

std::vector<quint32> RolloutPlan::nextBatch()
{
    std::vector<quint32> batch;
    while (!stopped() && m_next < m_targets.size() && int(batch.size()) < m_batchSize) {
        if (m_results[m_next] == Result::Pending)
            batch.push_back(m_targets[m_next]);
        ++m_next;
    }
    return batch;
}

void RolloutPlan::settle(quint32 target, Result result)
{
    const auto found = std::find(m_targets.begin(), m_targets.end(), target);
    if (found == m_targets.end())
        return;
    m_results[std::size_t(found - m_targets.begin())] = result;
    if (result == Result::Failed)
        ++m_failures;
}

RolloutPlan::Result RolloutPlan::result(quint32 target) const
{
    const auto found = std::find(m_targets.begin(), m_targets.end(), target);
    return found == m_targets.end() ? Result::Pending
                                    : m_results[std::size_t(found - m_targets.begin())];
}

int RolloutPlan::settled() const
{
    return int(std::count_if(m_results.begin(), m_results.end(),
                             [](Result r) { return r != Result::Pending; }));
}

bool RolloutPlan::succeeded() const
{
    return std::all_of(m_results.begin(), m_results.end(), [](Result r) {
        return r == Result::DoneBefore || r == Result::Current || r == Result::Updated;
    });
}
