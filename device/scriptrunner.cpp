#include "scriptrunner.h"

#include <QDeadlineTimer>
#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <spawn.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace {

const QString shell = QStringLiteral("/bin/sh");

// False, with the reason, when a script for the shell is no file the shell
// could read.
bool readableScript(const QString& program, QString& errorText)
{
    const QFileInfo script(program);
    if (script.isFile() && script.isReadable())
        return true;
    errorText = script.exists() ? QStringLiteral("not a readable file") : QStringLiteral("no such file");
    return false;
}

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
    if (!readableScript(program, errorText))
        return false;
    process.setProgram(shell);
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

int ScriptRunner::executeBytes(const QString& program, const QList<QByteArray>& arguments, Via via)
{
    // QProcess takes only text arguments, so the program is spawned here,
    // with what QProcess gives its children: default signal handling and
    // mask, the caller's environment and standard channels.
    QString errorText;
    if (via == Via::Shell && !readableScript(program, errorText)) {
        logFailure("executeBytes", program, errorText);
        return -2;
    }
    const QByteArray script = QFile::encodeName(program);
    const QByteArray path = via == Via::Shell ? QFile::encodeName(shell) : script;
    std::vector<char*> argv{const_cast<char*>(path.constData())};
    if (via == Via::Shell)
        argv.push_back(const_cast<char*>(script.constData()));
    for (const QByteArray& argument : arguments)
        argv.push_back(const_cast<char*>(argument.constData()));
    argv.push_back(nullptr);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t mask;
    sigemptyset(&mask);
    posix_spawnattr_setsigmask(&attributes, &mask);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, path.constData(), nullptr, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    if (spawned != 0) {
        logFailure("executeBytes", program, QString::fromLocal8Bit(std::strerror(spawned)));
        return -2;
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR)
            return -1;
    }
    if (!WIFEXITED(status)) {
        logFailure("executeBytes", program, QStringLiteral("crashed"));
        return -1;
    }
    return WEXITSTATUS(status);
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
