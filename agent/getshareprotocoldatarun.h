#pragma once

#include <QPointer>
#include <QRunnable>

class TerminalTcpServer;

// Reads the request packet that opens a TCP connection and hands it back to
// the server's thread. It is started only once the first bytes are there,
// so its single read never waits.
class GetShareProtocolDataRun : public QRunnable
{
public:
    GetShareProtocolDataRun(int handle, TerminalTcpServer* server);

    void run() override;

private:
    int m_handle;
    QPointer<TerminalTcpServer> m_server;
};
