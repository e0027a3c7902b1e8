#include "singlecoreapplication.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QThread>

#include <unistd.h>

SingleCoreApplication::SingleCoreApplication(const QString& id, int& argc, char** argv)
    : QCoreApplication(argc, argv),
      m_serverName(id + QLatin1Char('-') + QString::number(::getuid())),
      m_lock(std::make_unique<QLockFile>(QDir::temp().filePath(m_serverName + ".lock")))
{
    // Only a lock whose owner has died is stale, however old it is.
    m_lock->setStaleLockTime(0);
    m_primary = m_lock->tryLock(0);
    if (m_primary)
        listen();
}

SingleCoreApplication::~SingleCoreApplication() = default;

void SingleCoreApplication::listen()
{
    // Holding the lock, any socket left under the name belongs to a dead
    // instance.
    QLocalServer::removeServer(m_serverName);
    m_server = new QLocalServer(this);
    if (!m_server->listen(m_serverName)) {
        qWarning() << "SingleCoreApplication::listen:" << m_server->errorString();
        return;
    }
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = m_server->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                emit messageReceived(QString::fromUtf8(socket->readAll()));
            });
        }
    });
}

bool SingleCoreApplication::isRunning() const
{
    return !m_primary;
}

bool SingleCoreApplication::sendMessage(const QString& message, int timeoutMs)
{
    if (m_primary)
        return false;
    const QDeadlineTimer deadline(timeoutMs);
    // The running instance may hold the lock a moment before it listens.
    while (!deadline.hasExpired()) {
        QLocalSocket socket;
        socket.connectToServer(m_serverName, QIODevice::WriteOnly);
        if (socket.waitForConnected(int(deadline.remainingTime()))) {
            socket.write(message.toUtf8());
            const bool written = socket.waitForBytesWritten(int(deadline.remainingTime()))
                                 || socket.bytesToWrite() == 0;
            socket.disconnectFromServer();
            return written;
        }
        QThread::msleep(100);
    }
    return false;
}
