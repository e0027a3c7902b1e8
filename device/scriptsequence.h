#pragma once

#include "scriptprocess.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>

#include <functional>

// One queue of device scripts, run one at a time in the order they were
// queued, without holding up the GUI thread: each is started as its
// predecessor ends, with no arguments and no shell, its output going where
// the launcher's goes; exit statuses are not looked at, and a script that
// cannot be started counts as ended.
class ScriptSequence : public QObject
{
    Q_OBJECT

public:
    explicit ScriptSequence(QObject* parent = nullptr);
    ~ScriptSequence() override;

    // Queues the scripts behind everything queued before and calls done
    // after the last of them has ended. When context is destroyed first, its
    // scripts not yet started are dropped and done is not called.
    void run(const QObject* context, const QStringList& scripts, std::function<void()> done);

    // Runs the script after everything queued before and waits for it, the
    // GUI held meanwhile: for a caller that cannot go on without its result.
    void runAndWait(const QString& script);

private:
    struct Job
    {
        QPointer<const QObject> context;
        QStringList scripts;
        std::function<void()> done;
    };

    void startNext();

    ScriptProcess m_process;
    QList<Job> m_jobs;
    bool m_busy = false;
};
