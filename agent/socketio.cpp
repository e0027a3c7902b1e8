#include "socketio.h"

#include <cerrno>
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
