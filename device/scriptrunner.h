#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Starts device scripts and companion programs. A program and its arguments
// always travel as a list, so no shell ever parses a value that came from the
// network or from a typed field. execute and startDetached log why a program
// could not be started or crashed; read returns the reason to its caller.
class ScriptRunner
{
public:
    // How the program is started. Shell is for a script of ours (a fixed
    // path, never a name from the network): it is run as "/bin/sh SCRIPT
    // ARGS...", so a script without a "#!" line or without its run bit
    // still runs; one that is not a readable file counts as not started.
    enum class Via { Exec, Shell };

    struct Output
    {
        bool ok = false;        // started and finished within the time limit
        QString errorText;      // the process error when !ok
        QByteArray standardOutput;
    };

    // Runs the program and waits for it to end; the exit code, or -2 when it
    // could not be started and -1 when it crashed.
    static int execute(const QString& program, const QStringList& arguments = {}, Via via = Via::Exec);
    // The same with arguments that are bytes, passed on exactly: a text
    // argument reaches the program encoded as UTF-8, which changes every
    // byte of a value that is not UTF-8 (a Latin-1 one from the network).
    static int executeBytes(const QString& program, const QList<QByteArray>& arguments, Via via = Via::Exec);

    // Runs the program, waits at most timeoutMs and returns what it printed.
    // A program still running at the limit is killed.
    static Output read(const QString& program, const QStringList& arguments, int timeoutMs,
                       Via via = Via::Exec);

    // Starts the program without waiting, in workingDirectory (the current
    // directory when empty).
    static bool startDetached(const QString& program, const QStringList& arguments = {},
                              const QString& workingDirectory = {}, Via via = Via::Exec);
};
