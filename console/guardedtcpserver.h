#pragma once

#include <QTcpServer>

// The dashboard's listening socket: every connection it hands to the HTTP
// server is watched by a RequestSizeGuard first, and closed when its peer
// sends more than the guard allows.
class GuardedTcpServer : public QTcpServer
{
    Q_OBJECT
public:
    explicit GuardedTcpServer(qint64 bodyLimit, QObject* parent = nullptr);

protected:
    void incomingConnection(qintptr descriptor) override;

private:
    qint64 m_bodyLimit;
};
