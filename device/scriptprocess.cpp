#include "scriptprocess.h"

ScriptProcess::ScriptProcess(Channels channels, QObject* parent)
    : QObject(parent)
{
    m_process.setProcessChannelMode(channels == Channels::Merged ? QProcess::MergedChannels
                                                                 : QProcess::ForwardedChannels);
    connect(&m_process, &QProcess::readyRead, this, &ScriptProcess::outputReady);
    connect(&m_process, &QProcess::finished, this, &ScriptProcess::ended);
    connect(&m_process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        // A crash is followed by finished; a failed start by nothing.
        if (error == QProcess::FailedToStart) {
            emit failed(Failure::FailedToStart);
            emit ended();
        } else if (error == QProcess::Crashed) {
            emit failed(Failure::Crashed);
        }
    });
}

ScriptProcess::~ScriptProcess()
{
    // A child still running is ended by the process object; nothing is told.
    m_process.disconnect(this);
}

void ScriptProcess::start(const QString& program, const QStringList& arguments)
{
    m_process.start(program, arguments, QIODevice::ReadWrite);
}

void ScriptProcess::closeInput()
{
    m_process.closeWriteChannel();
}

bool ScriptProcess::isRunning() const
{
    return m_process.state() != QProcess::NotRunning;
}

QByteArray ScriptProcess::readOutput()
{
    return m_process.readAllStandardOutput();
}

bool ScriptProcess::waitForEnd(int msecs)
{
    return m_process.waitForFinished(msecs);
}

void ScriptProcess::stop(int graceMs)
{
    if (!isRunning())
        return;
    if (graceMs > 0) {
        m_process.terminate();
        if (m_process.waitForFinished(graceMs))
            return;
    }
    m_process.kill();
    m_process.waitForFinished(1000);
}
