#include "scriptrunner.h"

#include <QDeadlineTimer>
#include <QDebug>
#include <QFileInfo>
#include <QProcess>

namespace {

// Gives the process its program and arguments; false, with the reason, when
// a script for the shell is no file the shell could read.
bool prepare(QProcess& process, const QString& program, const QStringList& arguments,
             ScriptRunner::Via via, QString& errorText)
{
    if (via == ScriptRunner::Via::Exec) {
        process.setProgram(program);
        process.setArguments(arguments);
        return true;
    }
    const QFileInfo script(program);
    if (!script.isFile() || !script.isReadable()) {
        errorText = script.exists() ? QStringLiteral("not a readable file") : QStringLiteral("no such file");
        return false;
    }
    process.setProgram(QStringLiteral("/bin/sh"));
    process.setArguments(QStringList{program} + arguments);
    return true;
}

void logFailure(const char* function, const QString& program, const QString& errorText)
{
    qWarning().nospace() << "ScriptRunner::" << function << ": " << program << " failed: " << errorText;
}

} // namespace

int ScriptRunner::execute(const QString& program, const QStringList& arguments, Via via)
{
    QProcess process;
    QString errorText;
    if (!prepare(process, program, arguments, via, errorText)) {
        logFailure("execute", program, errorText);
        return -2;
    }
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.start();
    if (!process.waitForFinished(-1) || process.error() == QProcess::FailedToStart) {
        logFailure("execute", program, process.errorString());
        return -2;
    }
    if (process.exitStatus() != QProcess::NormalExit) {
        logFailure("execute", program, process.errorString());
        return -1;
    }
    return process.exitCode();
}

ScriptRunner::Output ScriptRunner::read(const QString& program, const QStringList& arguments,
                                        int timeoutMs, Via via)
{
    Output output;
    QProcess process;
    if (!prepare(process, program, arguments, via, output.errorText))
        return output;
    process.setProcessChannelMode(QProcess::SeparateChannels);
    const QDeadlineTimer deadline(timeoutMs);
    process.start(QIODevice::ReadOnly);
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
                                 const QString& workingDirectory, Via via)
{
    QProcess process;
    QString errorText;
    if (!prepare(process, program, arguments, via, errorText)) {
        logFailure("startDetached", program, errorText);
        return false;
    }
    process.setWorkingDirectory(workingDirectory);
    if (!process.startDetached()) {
        logFailure("startDetached", program, process.errorString());
        return false;
    }
    return true;
}
