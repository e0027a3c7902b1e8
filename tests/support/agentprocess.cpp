#include "agentprocess.h"

#include "sandbox.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QThread>

namespace {

void takeLines(QByteArray& pending, QStringList& lines)
{
    qsizetype end;
    while ((end = pending.indexOf('\n')) >= 0) {
        lines << QString::fromLatin1(pending.left(end));
        pending.remove(0, end + 1);
    }
}

} // namespace

AgentProcess::AgentProcess(const QString& host, const QString& directory)
    : m_host(host), m_directory(directory)
{
}

AgentProcess::~AgentProcess()
{
    kill();
}

QString AgentProcess::localDirectory() const
{
    return m_host.isEmpty() ? m_directory : Sandbox::hostRoot(m_host) + "/opt" + m_directory.mid(4);
}

bool AgentProcess::install()
{
    const QString target = localDirectory() + "/termagent";
    QDir().mkpath(localDirectory());
    QFile::remove(target);
    return QFile::copy(QStringLiteral(TERMAGENT_PATH), target);
}

bool AgentProcess::start(const QString& workingDirectory)
{
    m_stdout.clear();
    m_stderr.clear();
    m_stdoutLines.clear();
    m_stderrLines.clear();
    const QString program = m_directory + "/termagent";
    m_process.setWorkingDirectory(workingDirectory);
    if (m_host.isEmpty())
        m_process.start(program, {});
    else
        m_process.start(Sandbox::script(), {"host", m_host, "--", program});
    return m_process.waitForStarted(5000);
}

void AgentProcess::kill()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
    collect();
}

bool AgentProcess::waitForExit(int timeoutMs)
{
    const bool ended = m_process.state() == QProcess::NotRunning || m_process.waitForFinished(timeoutMs);
    collect();
    return ended;
}

void AgentProcess::collect()
{
    m_stdout += m_process.readAllStandardOutput();
    m_stderr += m_process.readAllStandardError();
    takeLines(m_stdout, m_stdoutLines);
    takeLines(m_stderr, m_stderrLines);
}

bool AgentProcess::waitFor(const QStringList& lines, const QString& text, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        collect();
        for (const QString& line : lines) {
            if (line.contains(text))
                return true;
        }
        if (deadline.hasExpired())
            return false;
        if (m_process.state() == QProcess::NotRunning)
            QThread::msleep(20);
        else
            m_process.waitForReadyRead(int(qMin<qint64>(deadline.remainingTime(), 100)));
    }
}

bool AgentProcess::waitForStdout(const QString& text, int timeoutMs)
{
    return waitFor(m_stdoutLines, text, timeoutMs);
}

bool AgentProcess::waitForStderr(const QString& text, int timeoutMs)
{
    return waitFor(m_stderrLines, text, timeoutMs);
}

QStringList AgentProcess::stdoutLines()
{
    collect();
    return m_stdoutLines;
}

QStringList AgentProcess::stderrLines()
{
    collect();
    return m_stderrLines;
}

int AgentProcess::countStdout(const QString& text)
{
    return int(stdoutLines().filter(text).size());
}

int AgentProcess::countStderr(const QString& text)
{
    // A burst of one line is written in part and counted for the rest.
    static const QString repeated = QStringLiteral("Warning: Helper::writeLine: repeated ");
    int count = 0;
    for (const QString& line : stderrLines().filter(text))
        count += line.startsWith(repeated) ? line.mid(repeated.size()).section(' ', 0, 0).toInt() : 1;
    return count;
}
