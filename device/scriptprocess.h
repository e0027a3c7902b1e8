#pragma once

#include <QByteArray>
#include <QObject>
#include <QProcess>
#include <QString>
#include <QStringList>

// A started program that runs alongside its owner, for the child that is
// queued, watched or read as it prints (ScriptRunner is for those waited for
// or left to themselves). Program and arguments travel as a list, as there.
class ScriptProcess : public QObject
{
    Q_OBJECT

public:
    // Where the child's output goes: where its owner's goes, or to the owner,
    // standard error merged into standard output.
    enum class Channels { Forwarded, Merged };
    // A run that ended without exiting.
    enum class Failure { FailedToStart, Crashed };

    explicit ScriptProcess(Channels channels, QObject* parent = nullptr);
    ~ScriptProcess() override;

    // Starts the program; the end comes as ended(), also when it cannot start.
    void start(const QString& program, const QStringList& arguments = {});
    // Gives the child an end of input at once, for one that might wait to read.
    void closeInput();

    // Started and not yet ended.
    bool isRunning() const;
    // What a Merged child printed since the last call.
    QByteArray readOutput();
    // Blocks until the child ends or msecs pass (-1: no limit); false when
    // it did not end then, or when none was running.
    bool waitForEnd(int msecs = -1);
    // Ends a running child: asked to end (SIGTERM) and given graceMs, then
    // killed; with no grace it is killed at once. Returns once it has ended,
    // or after a second more at the most.
    void stop(int graceMs = 0);

signals:
    void outputReady();
    // Before ended(), when the run ended without exiting.
    void failed(ScriptProcess::Failure failure);
    // The run is over: exited, crashed or never started.
    void ended();

private:
    QProcess m_process;
};
