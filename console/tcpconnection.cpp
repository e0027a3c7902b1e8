#include "tcpconnection.h"

#include "shareprotocol.h"
#include "socketio.h"

#include <QHostAddress>

#include <cerrno>
#include <cstring>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

QByteArray TcpConnection::requestBlock(const std::string& key, const std::string& content)
{
    const std::string packet = PreData(key, content).toString();
    if (packet.size() > std::size_t(RequestBlockSize - 1))
        return QByteArray();
    QByteArray block = QByteArray::fromStdString(packet);
    block.append(RequestBlockSize - block.size(), ' ');
    return block;
}

TcpConnection::~TcpConnection()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

QString TcpConnection::systemError(const QString& what) const
{
    const int code = errno;
    if (code == EAGAIN || code == EWOULDBLOCK)
        return QStringLiteral("%1 %2: no progress for too long").arg(what, m_peer);
    return QStringLiteral("%1 %2: %3").arg(what, m_peer, QString::fromLocal8Bit(std::strerror(code)));
}

bool TcpConnection::open(quint32 destination, int idleTimeoutMs, QString& error)
{
    m_peer = QStringLiteral("%1:%2").arg(QHostAddress(destination).toString()).arg(Port);
    m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (m_fd < 0) {
        error = systemError(QStringLiteral("cannot create a socket for"));
        return false;
    }
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(Port);
    address.sin_addr.s_addr = htonl(destination);
    // Non-blocking, so that an unreachable terminal costs seconds, not the
    // minutes of the system's own connect time-out.
    if (::connect(m_fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        if (errno != EINPROGRESS) {
            error = systemError(QStringLiteral("cannot connect to"));
            return false;
        }
        pollfd watched = {m_fd, POLLOUT, 0};
        const int ready = ::poll(&watched, 1, ConnectTimeoutMs);
        int status = 0;
        socklen_t length = sizeof status;
        if (ready == 0) {
            error = QStringLiteral("cannot connect to %1: no answer").arg(m_peer);
            return false;
        }
        if (ready < 0 || ::getsockopt(m_fd, SOL_SOCKET, SO_ERROR, &status, &length) != 0
            || status != 0) {
            if (status != 0)
                errno = status;
            error = systemError(QStringLiteral("cannot connect to"));
            return false;
        }
    }
    ::fcntl(m_fd, F_SETFL, ::fcntl(m_fd, F_GETFL) & ~O_NONBLOCK);
    SocketIo::setTimeouts(m_fd, idleTimeoutMs);
    return true;
}

bool TcpConnection::sendRequest(const std::string& key, const std::string& content,
                                QString& error)
{
    const QByteArray block = requestBlock(key, content);
    if (block.isEmpty()) {
        error = QStringLiteral("the request is longer than the terminal accepts");
        return false;
    }
    return send(block.constData(), block.size(), error);
}

bool TcpConnection::send(const char* data, qint64 size, QString& error)
{
    if (SocketIo::sendAll(m_fd, data, size))
        return true;
    error = systemError(QStringLiteral("cannot send to"));
    return false;
}

bool TcpConnection::finishSending(QString& error)
{
    if (::shutdown(m_fd, SHUT_WR) == 0)
        return true;
    error = systemError(QStringLiteral("cannot finish sending to"));
    return false;
}

bool TcpConnection::readToEnd(QByteArray& data, QString& error)
{
    char buffer[64 * 1024];
    for (;;) {
        const qint64 n = SocketIo::receiveSome(m_fd, buffer, sizeof buffer);
        if (n == 0)
            return true;
        if (n < 0) {
            error = systemError(QStringLiteral("cannot receive from"));
            return false;
        }
        data.append(buffer, n);
    }
}

qint64 TcpConnection::readFully(char* data, qint64 size, QString& error)
{
    qint64 received = 0;
    while (received < size) {
        const qint64 n = SocketIo::receiveSome(m_fd, data + received, size - received);
        if (n < 0) {
            error = systemError(QStringLiteral("cannot receive from"));
            return -1;
        }
        if (n == 0)
            break;
        received += n;
    }
    return received;
}
