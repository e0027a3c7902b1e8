#pragma once

#include <QtGlobal>

// Blocking I/O on a raw stream descriptor owned by a TCP task.
class SocketIo
{
public:
    // Writes the whole block, retrying short writes and EINTR; false when the peer is gone.
    static bool sendAll(int fd, const char* data, qint64 size);
    // Writes a 4-byte little-endian length, the agent's framing for TCP payloads.
    static bool sendLength(int fd, qint32 length);
    // One sendfile(2) of up to size bytes from the file's own offset, retried
    // on EINTR; returns what sendfile() returns. A peer that is gone gives
    // EPIPE, never a SIGPIPE that would end the process.
    static qint64 sendFromFile(int fd, int file, qint64 size);
    // One recv() retried on EINTR; returns what recv() returns.
    static qint64 receiveSome(int fd, char* buffer, qint64 size, int flags = 0);
    // Bounds every blocking recv and send on the descriptor, so that a peer
    // that stalls cannot hold a worker thread for ever.
    static bool setTimeouts(int fd, int milliseconds);
};
