#pragma once

#include <QtGlobal>

#include <set>
#include <vector>

// The order of a rollout, without a socket: batches of targets, the ones a
// run before already finished left out, and no new batch once too many
// terminals failed.
class RolloutPlan
{
public:
    enum class Result {
        Pending,    // not reached yet; after the last batch: never started
        DoneBefore, // finished by an earlier run of the same rollout
        Current,    // it already reported the expected version
        Updated,    // installed, then reported the expected version
        Failed,
    };

    // done: the targets an earlier run finished. batchSize >= 1, maxFailures >= 1.
    RolloutPlan(const std::vector<quint32>& targets, const std::set<quint32>& done, int batchSize,
                int maxFailures);

    // Up to batchSize targets still to do, in the order given; empty when
    // every target has had its turn, or once maxFailures targets of this run
    // failed. Called again only when the batch before is settled.
    std::vector<quint32> nextBatch();
    // Current, Updated or Failed, for a target of the last batch.
    void settle(quint32 target, Result result);

    const std::vector<quint32>& targets() const { return m_targets; }
    Result result(quint32 target) const;
    bool stopped() const { return m_failures >= m_maxFailures; }
    // Targets no longer pending (done before included), of targets().size().
    int settled() const;
    // True when every target is done (before, current or updated).
    bool succeeded() const;

private:
    std::vector<quint32> m_targets;
    std::vector<Result> m_results; // by index in m_targets
    std::size_t m_next = 0;
    int m_batchSize;
    int m_maxFailures;
    int m_failures = 0;
};
