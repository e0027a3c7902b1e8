#include "scriptsequence.h"

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

bool ScriptSequence::run(const QStringList& scripts, std::function<void()> done)
{
    if (m_running)
        return false;
    m_running = true;
    m_pending = scripts;
    m_done = std::move(done);
    startNext();
    return true;
}

bool ScriptSequence::isRunning() const
{
    return m_running;
}

void ScriptSequence::startNext()
{
    if (!m_pending.isEmpty()) {
        m_process.start(m_pending.takeFirst(), QStringList());
        m_process.closeWriteChannel();
        return;
    }
    m_running = false;
    // The callback may start the next sequence at once.
    const std::function<void()> done = std::exchange(m_done, nullptr);
    if (done)
        done();
}
