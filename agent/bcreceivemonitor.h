#pragma once

#include "scriptprocess.h"

#include <QElapsedTimer>
#include <QObject>

class QTimer;

// Keeps the broadcast receiver companion "./ReceiveBc" running: started at
// once, started again whenever it crashes; a companion that keeps crashing
// waits longer before each restart.
class BcReceiveMonitor : public QObject
{
    Q_OBJECT

public:
    explicit BcReceiveMonitor(QObject* parent = nullptr);
    ~BcReceiveMonitor() override;

    // Ends the companion for good: no restart follows.
    void stop();

    // The wait before restarting a companion that crashed after running
    // ranMs: none the first time, then 1 s doubling up to a minute. Counts
    // the crash in crashesInARow, which a run of a minute or more resets.
    static int restartDelayMs(int& crashesInARow, qint64 ranMs);

public slots:
    void onError(ScriptProcess::Failure failure);

private:
    void start();

    ScriptProcess* m_process;
    QTimer* m_restartTimer;
    QElapsedTimer m_running;
    int m_crashesInARow = 0;
};
