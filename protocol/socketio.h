#pragma once

#include <QtGlobal>

#include <chrono>

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

    // A peer that trickles (a byte every few seconds) passes every per-call
    // time-out and would hold a worker for as long as it likes, so a whole
    // exchange is held to a minimum average rate as well. 4 KiB/s is an
    // eighth of a 256 kbit/s link: a console on a slow link still finishes a
    // 200 MiB transfer (14 h at the floor itself), while a trickler is cut
    // off within seconds. The peer may fall behind the floor by 5 s worth
    // (20 KiB), so a stall is forgiven if the bytes then catch up.
    static constexpr qint64 MinimumRate = 4 * 1024; // bytes per second
    static constexpr qint64 AllowedLagMs = 5000;

    // While it lives, the calls above that this thread makes on its
    // descriptor are held to the minimum rate. Only the time spent waiting
    // in those calls counts, never the agent's own work between them (a
    // script, a capture). A peer that falls behind is logged and cut off,
    // and that call and all later ones fail with ETIMEDOUT.
    class RateFloor
    {
    public:
        explicit RateFloor(int fd);
        ~RateFloor();
        RateFloor(const RateFloor&) = delete;
        RateFloor& operator=(const RateFloor&) = delete;

        // The floor of this thread's exchange on fd, or null.
        static RateFloor* of(int fd);
        // Counts a call that moved bytes after waiting; false once the peer
        // has fallen too far behind.
        bool account(qint64 bytes, std::chrono::steady_clock::duration waited);
        bool cutOff() const { return m_cutOff; }

    private:
        int m_fd;
        double m_credit; // bytes ahead of the floor, at most AllowedLagMs worth
        bool m_cutOff = false;
        RateFloor* m_outer;
    };
};
