#include "singlecoreapplication.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QThread>

#include <cerrno>
#include <csignal>
#include <cstring>

#include <unistd.h>

SingleCoreApplication::SingleCoreApplication(const QString& id, int& argc, char** argv)
    : QCoreApplication(argc, argv),
      m_serverName(id + QLatin1Char('-') + QString::number(::getuid())),
      m_lock(std::make_unique<QLockFile>(QDir::temp().filePath(m_serverName + ".lock")))
{
    // Only a lock whose owner has died is stale, however old it is.
    m_lock->setStaleLockTime(0);
    m_primary = m_lock->tryLock(0);
    const int lockErrno = errno;
    if (!m_primary && !heldByLiveProcess()) {
        // A full or read-only temporary directory says nothing about another
        // instance: without the lock only one that answers stops this one.
        qWarning() << "SingleCoreApplication::SingleCoreApplication: cannot make the instance lock"
                   << m_lock->fileName() << ":" << std::strerror(lockErrno) << "- going on without it";
        m_primary = !answers();
    }
    if (m_primary)
        listen();
}

SingleCoreApplication::~SingleCoreApplication() = default;

void SingleCoreApplication::listen()
{
    // Holding the lock, or having found nobody answering, any socket left
    // under the name belongs to a dead instance.
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

bool SingleCoreApplication::heldByLiveProcess() const
{
    if (m_lock->error() != QLockFile::LockFailedError)
        return false;
    // A stale lock that could not be removed (the directory turned read-only
    // after its owner died) is no instance; an unreadable one may be one
    // being written, so it counts as held.
    qint64 pid = 0;
    QString hostName, appName;
    if (!m_lock->getLockInfo(&pid, &hostName, &appName) || pid <= 0)
        return true;
    return ::kill(pid_t(pid), 0) == 0 || errno != ESRCH;
}

bool SingleCoreApplication::answers() const
{
    QLocalSocket socket;
    socket.connectToServer(m_serverName, QIODevice::WriteOnly);
    return socket.waitForConnected(1000);
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
