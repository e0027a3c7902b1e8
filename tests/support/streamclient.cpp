#include "streamclient.h"

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// Until the end of the stream, a time-out or no more bytes for now; true at
// the end of the stream (a reset counts: the agent closed with unread bytes).
bool drain(int fd, QByteArray* bytes, int flags)
{
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, flags);
        if (n > 0) {
            if (bytes)
                bytes->append(buffer, n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        return n == 0 || errno == ECONNRESET;
    }
}

} // namespace

StreamClient::StreamClient(quint32 address, int timeoutMs)
{
    m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const timeval timeout = {timeoutMs / 1000, (timeoutMs % 1000) * 1000};
    ::setsockopt(m_fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    ::setsockopt(m_fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
    sockaddr_in peer = {};
    peer.sin_family = AF_INET;
    peer.sin_port = htons(9600);
    peer.sin_addr.s_addr = htonl(address);
    if (::connect(m_fd, reinterpret_cast<const sockaddr*>(&peer), sizeof peer) != 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

StreamClient::~StreamClient()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool StreamClient::send(const QByteArray& bytes) const
{
    qsizetype sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::send(m_fd, bytes.constData() + sent, size_t(bytes.size() - sent),
                                 MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        sent += n;
    }
    return true;
}

void StreamClient::finishSending() const
{
    ::shutdown(m_fd, SHUT_WR);
}

bool StreamClient::closed(QByteArray* bytes) const
{
    return drain(m_fd, bytes, MSG_DONTWAIT);
}

QByteArray StreamClient::receiveAll(bool* closed) const
{
    QByteArray bytes;
    *closed = drain(m_fd, &bytes, 0);
    return bytes;
}
