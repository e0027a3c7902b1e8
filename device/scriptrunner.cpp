#include "scriptrunner.h"

#include <QDeadlineTimer>
#include <QProcess>

int ScriptRunner::execute(const QString& program, const QStringList& arguments)
{
    return QProcess::execute(program, arguments);
}

ScriptRunner::Output ScriptRunner::read(const QString& program, const QStringList& arguments,
                                        int timeoutMs)
{
    Output output;
    QProcess process;
    process.setProcessChannelMode(QProcess::SeparateChannels);
    const QDeadlineTimer deadline(timeoutMs);
    process.start(program, arguments, QIODevice::ReadOnly);
    const bool finished = process.waitForStarted(int(deadline.remainingTime()))
                          && process.waitForFinished(int(deadline.remainingTime()));
    if (!finished || process.exitStatus() != QProcess::NormalExit) {
        output.errorText = process.errorString();
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(1000);
        }
        return output;
    }
    output.ok = true;
    output.standardOutput = process.readAllStandardOutput();
    return output;
}

bool ScriptRunner::startDetached(const QString& program, const QStringList& arguments,
                                 const QString& workingDirectory)
{
    return QProcess::startDetached(program, arguments, workingDirectory);
}
