#pragma once

#include <QObject>
#include <QProcess>
#include <QStringList>

#include <functional>

// Runs device scripts one after another without holding up the GUI thread:
// each is started as its predecessor ends, with no arguments and no shell,
// its output going where the launcher's goes; exit statuses are not looked
// at, and a script that cannot be started counts as ended.
class ScriptSequence : public QObject
{
    Q_OBJECT

public:
    explicit ScriptSequence(QObject* parent = nullptr);
    ~ScriptSequence() override;

    // Starts the scripts and calls done after the last one has ended. A
    // sequence still running is not disturbed: the call returns false.
    bool run(const QStringList& scripts, std::function<void()> done);
    bool isRunning() const;

private:
    void startNext();

    QProcess m_process;
    QStringList m_pending;
    std::function<void()> m_done;
    bool m_running = false;
};
