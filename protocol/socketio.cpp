#include "socketio.h"

#include <QDebug>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <pthread.h>
#include <sys/sendfile.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <sys/types.h>

namespace {

thread_local SocketIo::RateFloor* innermostFloor = nullptr;

// Makes one call on fd, counted against the thread's floor for fd if there
// is one. A call that fails is left to its caller: it ends the exchange anyway.
template <typename Call>
qint64 paced(int fd, Call call)
{
    SocketIo::RateFloor* const floor = SocketIo::RateFloor::of(fd);
    if (floor == nullptr)
        return call();
    if (floor->cutOff()) {
        errno = ETIMEDOUT;
        return -1;
    }
    const auto start = std::chrono::steady_clock::now();
    const qint64 n = call();
    if (n >= 0 && !floor->account(n, std::chrono::steady_clock::now() - start)) {
        errno = ETIMEDOUT;
        return -1;
    }
    return n;
}

QString peerOf(int fd)
{
    sockaddr_in address{};
    socklen_t length = sizeof address;
    char text[INET_ADDRSTRLEN] = "?";
    if (::getpeername(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0 && address.sin_family == AF_INET)
        ::inet_ntop(AF_INET, &address.sin_addr, text, sizeof text);
    return QString::fromLatin1(text);
}

} // namespace

SocketIo::RateFloor::RateFloor(int fd)
    : m_fd(fd), m_credit(double(MinimumRate) * AllowedLagMs / 1000), m_outer(innermostFloor)
{
    innermostFloor = this;
}

SocketIo::RateFloor::~RateFloor()
{
    innermostFloor = m_outer;
}

SocketIo::RateFloor* SocketIo::RateFloor::of(int fd)
{
    RateFloor* floor = innermostFloor;
    while (floor != nullptr && floor->m_fd != fd)
        floor = floor->m_outer;
    return floor;
}

bool SocketIo::RateFloor::account(qint64 bytes, std::chrono::steady_clock::duration waited)
{
    const double allowance = double(MinimumRate) * AllowedLagMs / 1000;
    const double owed = double(MinimumRate) * std::chrono::duration<double>(waited).count();
    m_credit = std::min(allowance, m_credit + double(bytes) - owed);
    if (m_credit >= 0)
        return true;
    qWarning().noquote() << "SocketIo: the peer" << peerOf(m_fd) << "moves fewer than" << MinimumRate
                         << "bytes/s, connection cut off as too slow";
    m_cutOff = true;
    ::shutdown(m_fd, SHUT_RDWR);
    return false;
}

bool SocketIo::sendAll(int fd, const char* data, qint64 size)
{
    qint64 sent = 0;
    while (sent < size) {
        const qint64 n = paced(fd, [&] {
            return qint64(::send(fd, data + sent, static_cast<size_t>(size - sent), MSG_NOSIGNAL));
        });
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (n == 0)
            return false;
        sent += n;
    }
    return true;
}

bool SocketIo::sendLength(int fd, qint32 length)
{
    const quint32 value = static_cast<quint32>(length);
    const char bytes[4] = {
        static_cast<char>(value & 0xff),
        static_cast<char>((value >> 8) & 0xff),
        static_cast<char>((value >> 16) & 0xff),
        static_cast<char>((value >> 24) & 0xff),
    };
    return sendAll(fd, bytes, sizeof bytes);
}

qint64 SocketIo::sendFromFile(int fd, int file, qint64 size)
{
    // sendfile() has no MSG_NOSIGNAL: the SIGPIPE it raises on this thread is
    // held back while it runs and then taken away, unless one was already
    // waiting before.
    sigset_t pipe;
    sigemptyset(&pipe);
    sigaddset(&pipe, SIGPIPE);
    sigset_t pending;
    sigpending(&pending);
    const bool alreadyPending = sigismember(&pending, SIGPIPE) == 1;
    sigset_t previous;
    pthread_sigmask(SIG_BLOCK, &pipe, &previous);
    const qint64 n = paced(fd, [&] {
        ssize_t copied;
        do {
            copied = ::sendfile(fd, file, nullptr, static_cast<size_t>(size));
        } while (copied < 0 && errno == EINTR);
        return qint64(copied);
    });
    const int error = errno;
    sigpending(&pending);
    if (!alreadyPending && sigismember(&pending, SIGPIPE) == 1) {
        const timespec now = {0, 0};
        sigtimedwait(&pipe, nullptr, &now);
    }
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    errno = error;
    return n;
}

qint64 SocketIo::receiveSome(int fd, char* buffer, qint64 size, int flags)
{
    return paced(fd, [&] {
        for (;;) {
            const ssize_t n = ::recv(fd, buffer, static_cast<size_t>(size), flags);
            if (n < 0 && errno == EINTR)
                continue;
            return qint64(n);
        }
    });
}

bool SocketIo::setTimeouts(int fd, int milliseconds)
{
    timeval timeout{};
    timeout.tv_sec = milliseconds / 1000;
    timeout.tv_usec = (milliseconds % 1000) * 1000;
    return ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout) == 0
           && ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout) == 0;
}
