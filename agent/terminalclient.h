#pragma once

#include <QObject>
#include <QString>

class BcReceiveMonitor;
class RequestHandler;
class TerminalTcpServer;
class TerminalUdpServer;

// The agent's application object: creates the servers and the request
// handler, wires them together and announces the terminal once at start.
class TerminalClient : public QObject
{
    Q_OBJECT

public:
    explicit TerminalClient(QObject* parent = nullptr);

    static QString version();

    // Stops the companion program for good, as the agent ends.
    void stopCompanion();

public slots:
    void onNetworkOnlineChange(bool state);

private:
    RequestHandler* m_requestHandler;
    TerminalUdpServer* m_udpServer;
    TerminalTcpServer* m_tcpServer;
    BcReceiveMonitor* m_bcReceiveMonitor;
};
