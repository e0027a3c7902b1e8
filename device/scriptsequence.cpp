#include "scriptsequence.h"

#include <memory>

ScriptSequence::ScriptSequence(QObject* parent)
    : QObject(parent)
    , m_process(ScriptProcess::Channels::Forwarded)
{
    connect(&m_process, &ScriptProcess::ended, this, &ScriptSequence::startNext);
}

ScriptSequence::~ScriptSequence()
{
    // Nothing may run a completion on a half-destroyed owner.
    m_process.disconnect(this);
    m_process.stop();
}

void ScriptSequence::run(const QObject* context, const QStringList& scripts,
                         std::function<void()> done)
{
    m_jobs.append({context, scripts, std::move(done)});
    if (!m_busy)
        startNext();
}

void ScriptSequence::runAndWait(const QString& script)
{
    // Shared, as the completion outlives this call if nothing can run.
    const auto ended = std::make_shared<bool>(false);
    run(this, {script}, [ended] { *ended = true; });
    // Each script that ends starts the next one from its finished signal.
    while (!*ended) {
        if (!m_process.waitForEnd() && !m_process.isRunning())
            break;
    }
}

void ScriptSequence::startNext()
{
    m_busy = true;
    while (!m_jobs.isEmpty()) {
        Job& job = m_jobs.first();
        if (job.context && !job.scripts.isEmpty()) {
            m_process.start(job.scripts.takeFirst());
            m_process.closeInput();
            return;
        }
        // The completion may queue more work; it joins the end of the queue.
        const Job ended = m_jobs.takeFirst();
        if (ended.context && ended.done)
            ended.done();
    }
    m_busy = false;
}
