#include "sharekeys.h"
#include "shareprotocol.h"
#include "socketio.h"
#include "tcpcommands.h"
#include "tcpconnection.h"

#include <QByteArray>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

// The console side of bench/reportflood.sh: report requests at RATE a second
// for SECONDS to the agent on this host's loopback, and meanwhile 20 set
// requests (user "flood-K") and 20 file fetches spread over the run. Prints
// the fetches served whole; the set requests applied are counted by the script.

namespace {

using Clock = std::chrono::steady_clock;

const char* const FetchedPath = "/etc/hostname_s";

sockaddr_in loopback(quint16 port)
{
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

void sendDatagram(int fd, const std::string& packet)
{
    const sockaddr_in to = loopback(9800);
    ::sendto(fd, packet.data(), packet.size(), 0, reinterpret_cast<const sockaddr*>(&to), sizeof to);
}

// True when the file came whole within 10 s.
bool fetch(qint64 expectedSize)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const timeval limit{10, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    const sockaddr_in to = loopback(TcpConnection::Port);
    const QByteArray request = TcpConnection::requestBlock(
        ShareKeys::FileRequest, TcpCommands::fileRequestContent(FetchedPath));
    qint64 total = 0, n = -1;
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&to), sizeof to) == 0
        && SocketIo::sendAll(fd, request.constData(), request.size())) {
        char buffer[4096];
        while ((n = SocketIo::receiveSome(fd, buffer, sizeof buffer)) > 0)
            total += n;
    }
    ::close(fd);
    return n == 0 && total == 4 + expectedSize;
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: bench_report_flood RATE SECONDS FILE_SIZE\n");
        return 2;
    }
    const int rate = std::atoi(argv[1]);
    const int seconds = std::atoi(argv[2]);
    const qint64 fileSize = std::atoll(argv[3]);
    const int administrators = 20;

    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    const std::string report = PreData(ShareKeys::TerminalMsgRequest, "").toString();
    int served = 0;
    std::thread fetches([&] {
        for (int k = 0; k < administrators; ++k) {
            std::this_thread::sleep_for(std::chrono::milliseconds(seconds * 1000 / administrators));
            served += fetch(fileSize) ? 1 : 0;
        }
    });

    // Sent in slices of a millisecond, paced against the clock.
    const Clock::time_point start = Clock::now();
    const long long total = (long long)rate * seconds;
    const long long perSet = total / administrators;
    for (long long i = 0; i < total; ++i) {
        sendDatagram(fd, report);
        if (i % perSet == perSet / 2) {
            const std::string settings = "{\"RDP_IP\":\"10.0.0.50\",\"RDP_USER\":\"flood-" + std::to_string(i / perSet)
                                         + "\",\"RDP_PASSWORD\":\"secret\",\"RDP_PORT\":\"3389\"}";
            sendDatagram(fd, PreData(ShareKeys::SetRdpinfoRequest, settings).toString());
        }
        const Clock::time_point due = start + std::chrono::microseconds(i * 1000000 / rate);
        std::this_thread::sleep_until(due);
    }
    fetches.join();
    ::close(fd);
    std::printf("%lld report requests in %.1f s; fetches served %d/%d\n", total,
                std::chrono::duration<double>(Clock::now() - start).count(), served, administrators);
    return 0;
}
