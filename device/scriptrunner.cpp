#include "scriptrunner.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>

#include <cerrno>
#include <csignal>
#include <spawn.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

int ScriptRunner::execute(const QString& program, const QStringList& arguments)
{
    return QProcess::execute(program, arguments);
}

int ScriptRunner::executeBytes(const QString& program, const QList<QByteArray>& arguments)
{
    // QProcess takes only text arguments, so the program is spawned here,
    // with what QProcess gives its children: default signal handling and
    // mask, the caller's environment and standard channels.
    const QByteArray path = QFile::encodeName(program);
    std::vector<char*> argv{const_cast<char*>(path.constData())};
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
    if (spawned != 0)
        return -2;
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR)
            return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
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
