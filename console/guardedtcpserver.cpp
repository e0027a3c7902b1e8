#include "guardedtcpserver.h"

#include "requestsizeguard.h"

#include <QTcpSocket>

#include <memory>

GuardedTcpServer::GuardedTcpServer(qint64 bodyLimit, QObject* parent)
    : QTcpServer(parent)
    , m_bodyLimit(bodyLimit)
{ }

void GuardedTcpServer::incomingConnection(qintptr descriptor)
{
    auto* socket = new QTcpSocket(this);
    if (!socket->setSocketDescriptor(descriptor)) {
        delete socket;
        return;
    }
    // Connected before the HTTP server connects its own reader, so this sees
    // each arrival first, while the bytes are still unread: peeked, not taken.
    auto guard = std::make_shared<RequestSizeGuard>(m_bodyLimit);
    connect(socket, &QTcpSocket::readyRead, socket, [socket, guard] {
        if (!guard->take(socket->peek(socket->bytesAvailable())))
            socket->abort();
    });
    addPendingConnection(socket);
}
