#include "prober.h"

#include "tcpconnection.h"

#include <chrono>
#include <cerrno>
#include <cstring>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

// The overlay request changes nothing on the terminal: the agent reads it
// and closes the connection, which is the proof that an agent is there.
const QByteArray& overlayBlock()
{
    static const QByteArray block = TcpConnection::requestBlock(ShareKeys::OverlayRequest, std::string());
    return block;
}

struct Probe
{
    std::size_t index;
    int fd;
    bool connected;
    Clock::time_point started;
};

int elapsedMs(const Probe& probe)
{
    return int(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - probe.started)
                   .count());
}

QString systemText(int code)
{
    return QString::fromLocal8Bit(std::strerror(code));
}

// What a failed connect means; ECONNREFUSED is the host's own answer.
void connectFailed(Prober::Result& result, int code, int ms)
{
    result.state = code == ECONNREFUSED ? Prober::State::Refused : Prober::State::Unreachable;
    result.milliseconds = code == ECONNREFUSED ? ms : -1;
    result.detail = code == ECONNREFUSED ? QStringLiteral("no agent listens on TCP 9600")
                                         : systemText(code);
}

// A connection came up: the request goes out in one send (256 bytes fit
// any socket buffer); false when the result is already decided.
bool sendRequest(const Probe& probe, Prober::Result& result)
{
    const QByteArray& block = overlayBlock();
    if (::send(probe.fd, block.constData(), std::size_t(block.size()), MSG_NOSIGNAL) == block.size())
        return true;
    result.state = Prober::State::Alive;
    result.milliseconds = elapsedMs(probe);
    result.detail = QStringLiteral("connected, then the request could not be sent: %1")
                        .arg(systemText(errno));
    return false;
}

// The agent's answer to the overlay request is to close the connection.
void answered(const Probe& probe, Prober::Result& result)
{
    char byte = 0;
    const ssize_t n = ::recv(probe.fd, &byte, 1, 0);
    result.state = Prober::State::Alive;
    result.milliseconds = elapsedMs(probe);
    if (n == 0)
        result.detail = QStringLiteral("the agent answered in %1 ms").arg(result.milliseconds);
    else if (n > 0)
        result.detail = QStringLiteral("something on TCP 9600 answered with data, not as an agent");
    else
        result.detail = QStringLiteral("the agent cut the connection (%1): its policy may not "
                                       "admit this host")
                            .arg(systemText(errno));
}

void timedOut(const Probe& probe, Prober::Result& result, int timeoutMs)
{
    result.state = Prober::State::Unreachable;
    result.detail = probe.connected
                        ? QStringLiteral("TCP 9600 accepted, but no agent answered in %1 ms").arg(timeoutMs)
                        : QStringLiteral("no answer in %1 ms").arg(timeoutMs);
}

} // namespace

const char* Prober::name(State state)
{
    switch (state) {
    case State::Alive:
        return "alive";
    case State::Refused:
        return "refused";
    case State::Unreachable:
        break;
    }
    return "unreachable";
}

bool Prober::run(const std::vector<quint32>& addresses, int timeoutMs, int parallel,
                 std::vector<Result>& results, QString& error)
{
    results.assign(addresses.size(), Result());
    std::vector<Probe> active;
    std::vector<pollfd> watched;
    std::size_t next = 0;
    const auto finish = [&](std::size_t slot) {
        ::close(active[slot].fd);
        active[slot] = active.back();
        active.pop_back();
    };
    while (next < addresses.size() || !active.empty()) {
        while (next < addresses.size() && int(active.size()) < parallel) {
            Result& result = results[next];
            result.address = addresses[next];
            const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
            if (fd < 0) {
                // Short of descriptors: the probes in flight free theirs.
                if (!active.empty())
                    break;
                error = QStringLiteral("cannot create a socket: %1").arg(systemText(errno));
                results.resize(next);
                return false;
            }
            Probe probe{next++, fd, false, Clock::now()};
            sockaddr_in peer = {};
            peer.sin_family = AF_INET;
            peer.sin_port = htons(TcpConnection::Port);
            peer.sin_addr.s_addr = htonl(result.address);
            if (::connect(fd, reinterpret_cast<const sockaddr*>(&peer), sizeof peer) == 0) {
                probe.connected = true;
                if (!sendRequest(probe, result)) {
                    ::close(fd);
                    continue;
                }
            } else if (errno != EINPROGRESS) {
                connectFailed(result, errno, elapsedMs(probe));
                ::close(fd);
                continue;
            }
            active.push_back(probe);
        }
        if (active.empty())
            continue;

        watched.clear();
        int wait = timeoutMs;
        for (const Probe& probe : active) {
            watched.push_back({probe.fd, short(probe.connected ? POLLIN : POLLOUT), 0});
            wait = qMin(wait, qMax(0, timeoutMs - elapsedMs(probe)));
        }
        if (::poll(watched.data(), nfds_t(watched.size()), wait) < 0 && errno != EINTR) {
            error = QStringLiteral("cannot wait for the answers: %1").arg(systemText(errno));
            while (!active.empty())
                finish(active.size() - 1);
            return false;
        }
        // Backwards, so that finishing a probe (the last moves into its
        // place) leaves the ones still to be looked at where they were.
        for (std::size_t slot = active.size(); slot-- > 0;) {
            Probe& probe = active[slot];
            Result& result = results[probe.index];
            const short events = watched[slot].revents;
            if (events == 0) {
                if (elapsedMs(probe) >= timeoutMs) {
                    timedOut(probe, result, timeoutMs);
                    finish(slot);
                }
                continue;
            }
            if (probe.connected) {
                answered(probe, result);
                finish(slot);
                continue;
            }
            int status = 0;
            socklen_t length = sizeof status;
            if (::getsockopt(probe.fd, SOL_SOCKET, SO_ERROR, &status, &length) != 0)
                status = errno;
            if (status != 0) {
                connectFailed(result, status, elapsedMs(probe));
                finish(slot);
                continue;
            }
            probe.connected = true;
            if (!sendRequest(probe, result))
                finish(slot);
        }
    }
    return true;
}
