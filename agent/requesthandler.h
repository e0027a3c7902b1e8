#pragma once

#include <QObject>

class PreData;

// Runs every task on the process-wide thread pool, so that the event loop
// never waits for a script, a transfer or a capture.
class RequestHandler : public QObject
{
    Q_OBJECT

public:
    // Datagrams cost a sender nothing, so the queue of waiting tasks is
    // bounded: beyond this many, new tasks are dropped rather than letting a
    // flood grow the queue, and the reports it triggers, without limit.
    static constexpr int MaxWaitingTasks = 256;

    explicit RequestHandler(QObject* parent = nullptr);

public slots:
    void handleRequest(PreData* preData);
};
