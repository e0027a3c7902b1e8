#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Starts device scripts and companion programs. A program and its arguments
// always travel as a list, so no shell ever parses a value that came from the
// network or from a typed field.
class ScriptRunner
{
public:
    struct Output
    {
        bool ok = false;        // started and finished within the time limit
        QString errorText;      // the process error when !ok
        QByteArray standardOutput;
    };

    // Runs the program and waits for it to end; the exit code, or -2 when it
    // could not be started and -1 when it crashed.
    static int execute(const QString& program, const QStringList& arguments = {});
    // The same with arguments that are bytes, passed on exactly: a text
    // argument reaches the program encoded as UTF-8, which changes every
    // byte of a value that is not UTF-8 (a Latin-1 one from the network).
    static int executeBytes(const QString& program, const QList<QByteArray>& arguments);

    // Runs the program, waits at most timeoutMs and returns what it printed.
    // A program still running at the limit is killed.
    static Output read(const QString& program, const QStringList& arguments, int timeoutMs);

    // Starts the program without waiting, in workingDirectory (the current
    // directory when empty).
    static bool startDetached(const QString& program, const QStringList& arguments = {},
                              const QString& workingDirectory = {});
};
