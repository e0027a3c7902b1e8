#pragma once

#include <QDeadlineTimer>
#include <QObject>

#include <deque>

class PreData;
class QSocketNotifier;
class QTimer;
class ShareTcpServer;

// Accepts the console's stream connections on TCP port 9600, reads the
// request packet that opens each one and turns the known requests into
// tasks. From then on the task owns the descriptor.
class TerminalTcpServer : public QObject
{
    Q_OBJECT

public:
    // How long a new connection may take to send its request, and how long
    // a task's blocking recv or send may wait for a stalled peer. Long enough
    // for a console on a slow link, short enough that silent peers are gone
    // well before they add up.
    static constexpr int FirstPacketTimeoutMs = 10000;
    static constexpr int StreamTimeoutMs = 10000;
    // Connections still waiting for their request; beyond this the oldest is
    // closed, so a flood of idle connections cannot use up descriptors.
    static constexpr int MaxWaitingConnections = 100;
    // Descriptors kept free of connections: a worker thread, a script's
    // pipes or an upload's file must still open when peers hold the rest
    // (the event loop aborts when a new thread cannot get its wake-up pipe).
    // Near the limit the server stops accepting for a while; the kernel's
    // backlog holds the newcomers meanwhile, at no cost to the agent.
    static constexpr int ReservedDescriptors = 32;
    static constexpr int AcceptPauseMs = 500;

    explicit TerminalTcpServer(QObject* parent = nullptr);
    ~TerminalTcpServer() override;

    int waitingConnections() const { return int(m_waiting.size()); }

signals:
    void newRequest(PreData* preData);

public slots:
    void onNewConnection(int handle);
    void onShareProtocolDataProcess(PreData* preData);

private:
    struct Waiting
    {
        int handle;
        QSocketNotifier* notifier;
        QDeadlineTimer deadline;
    };

    void onReadable(QSocketNotifier* notifier);
    void onWaitExpired();
    // Stops watching the front connection; the caller decides its fate.
    Waiting takeOldest();
    void armExpiry();
    void pauseAccepting();
    void resumeAccepting();

    ShareTcpServer* m_server;
    // In order of arrival, so the front always expires first.
    std::deque<Waiting> m_waiting;
    QTimer* m_expiry;
    QTimer* m_resume;
    int m_descriptorLimit;
};
