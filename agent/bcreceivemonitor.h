#pragma once

#include <QObject>
#include <QProcess>

// Keeps the broadcast receiver companion "./ReceiveBc" running: started at
// once, started again whenever it crashes.
class BcReceiveMonitor : public QObject
{
    Q_OBJECT

public:
    explicit BcReceiveMonitor(QObject* parent = nullptr);
    ~BcReceiveMonitor() override;

public slots:
    void onError(QProcess::ProcessError error);

private:
    void start();

    QProcess* m_process;
};
