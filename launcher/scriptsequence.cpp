#include "scriptsequence.h"

#include <memory>

ScriptSequence::ScriptSequence(QObject* parent)
    : QObject(parent)
{
    m_process.setProcessChannelMode(QProcess::ForwardedChannels);
    connect(&m_process, &QProcess::finished, this, &ScriptSequence::startNext);
    connect(&m_process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            startNext();
    });
}

ScriptSequence::~ScriptSequence()
{
    // Nothing may run a completion on a half-destroyed owner.
    m_process.disconnect(this);
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(1000);
    }
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
        if (!m_process.waitForFinished(-1) && m_process.state() == QProcess::NotRunning)
            break;
    }
}

void ScriptSequence::startNext()
{
    m_busy = true;
    while (!m_jobs.isEmpty()) {
        Job& job = m_jobs.first();
        if (job.context && !job.scripts.isEmpty()) {
            m_process.start(job.scripts.takeFirst(), QStringList());
            m_process.closeWriteChannel();
            return;
        }
        // The completion may queue more work; it joins the end of the queue.
        const Job ended = m_jobs.takeFirst();
        if (ended.context && ended.done)
            ended.done();
    }
    m_busy = false;
}
