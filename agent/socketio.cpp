#include "socketio.h"

#include <cerrno>
#include <csignal>
#include <pthread.h>
#include <sys/sendfile.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <sys/types.h>

bool SocketIo::sendAll(int fd, const char* data, qint64 size)
{
    qint64 sent = 0;
    while (sent < size) {
        const ssize_t n = ::send(fd, data + sent, static_cast<size_t>(size - sent), MSG_NOSIGNAL);
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
    ssize_t n;
    do {
        n = ::sendfile(fd, file, nullptr, static_cast<size_t>(size));
    } while (n < 0 && errno == EINTR);
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
    for (;;) {
        const ssize_t n = ::recv(fd, buffer, static_cast<size_t>(size), flags);
        if (n < 0 && errno == EINTR)
            continue;
        return n;
    }
}

bool SocketIo::setTimeouts(int fd, int milliseconds)
{
    timeval timeout{};
    timeout.tv_sec = milliseconds / 1000;
    timeout.tv_usec = (milliseconds % 1000) * 1000;
    return ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout) == 0
           && ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout) == 0;
}
