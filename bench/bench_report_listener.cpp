#include "reportsender.h"

#include <QCoreApplication>
#include <QFile>
#include <QSet>
#include <QUdpSocket>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>

// Listens beside a console (the port is shared) and times its discovery from
// outside: from the first report request heard until COUNT terminals have
// reported or MAX_SECONDS have passed. Prints "ready" on standard error once
// bound and "request" when the request is heard, then one line: "IN_WINDOW DISTINCT LAST_MS DROPS": the terminals
// heard within the console's WINDOW seconds, all heard, when the last new one
// came, and the datagrams this socket's own full buffer lost, so that the
// console's losses can be told apart from the listener's.
//   bench_report_listener COUNT WINDOW MAX_SECONDS

namespace {

const QByteArray RequestKey = "\"TERMINALMSG_REQUEST\"";

// The kernel's drop count of the UDP socket with that inode (/proc/net/udp).
long long socketDrops(int descriptor)
{
    struct stat status {};
    if (::fstat(descriptor, &status) != 0)
        return -1;
    QFile table(QStringLiteral("/proc/net/udp"));
    if (!table.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray inode = QByteArray::number(qulonglong(status.st_ino));
    for (const QByteArray& line : table.readAll().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() > 12 && fields[9] == inode)
            return fields[12].toLongLong();
    }
    return -1;
}

double nowMs()
{
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

// The arrival time a received message carries, or now when it has none.
double arrivalMs(msghdr& message)
{
    for (cmsghdr* part = CMSG_FIRSTHDR(&message); part; part = CMSG_NXTHDR(&message, part)) {
        if (part->cmsg_level == SOL_SOCKET && part->cmsg_type == SCM_TIMESTAMPNS) {
            timespec arrived{};
            std::memcpy(&arrived, CMSG_DATA(part), sizeof arrived);
            return double(arrived.tv_sec) * 1e3 + double(arrived.tv_nsec) / 1e6;
        }
    }
    return nowMs();
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const int count = app.arguments().value(1).toInt();
    const double windowMs = app.arguments().value(2).toDouble() * 1000;
    const qint64 maxMs = qint64(app.arguments().value(3).toDouble() * 1000);
    if (count <= 0 || windowMs <= 0 || maxMs <= 0) {
        std::fprintf(stderr, "usage: %s COUNT WINDOW MAX_SECONDS\n", argv[0]);
        return 2;
    }
    QUdpSocket socket;
    if (!socket.bind(QHostAddress::AnyIPv4, 9800, QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint)) {
        std::fprintf(stderr, "bind: %s\n", qPrintable(socket.errorString()));
        return 1;
    }
    const int descriptor = int(socket.socketDescriptor());
    // As large as the system allows: the listener must not lose what it times.
    const int bufferBytes = 64 * 1024 * 1024;
    ::setsockopt(descriptor, SOL_SOCKET, SO_RCVBUF, &bufferBytes, sizeof bufferBytes);
    // The kernel's arrival times: on a loaded machine this process may read
    // a datagram long after it came.
    const int on = 1;
    ::setsockopt(descriptor, SOL_SOCKET, SO_TIMESTAMPNS, &on, sizeof on);
    std::fprintf(stderr, "ready\n");

    double requestMs = -1;
    QSet<QString> seen;
    double lastMs = -1;
    int inWindow = 0;
    char data[65536];
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(timespec))];
    while (requestMs < 0 || (seen.size() < count && nowMs() - requestMs < double(maxMs))) {
        pollfd waiting{descriptor, POLLIN, 0};
        if (::poll(&waiting, 1, 100) <= 0)
            continue;
        iovec part{data, sizeof data};
        msghdr message{};
        message.msg_iov = &part;
        message.msg_iovlen = 1;
        message.msg_control = control;
        message.msg_controllen = sizeof control;
        const ssize_t size = ::recvmsg(descriptor, &message, 0);
        if (size < 0)
            continue;
        const double arrivedMs = arrivalMs(message);
        const QByteArray datagram(data, qsizetype(size));
        if (requestMs < 0) {
            if (datagram.contains(RequestKey)) {
                requestMs = arrivedMs;
                std::fprintf(stderr, "request\n");
            }
            continue;
        }
        const QString ip = reportSender(datagram);
        if (!ip.isEmpty() && !seen.contains(ip)) {
            seen.insert(ip);
            lastMs = std::max(lastMs, arrivedMs - requestMs);
            inWindow += arrivedMs - requestMs <= windowMs ? 1 : 0;
        }
    }
    std::printf("%d %lld %.1f %lld\n", inWindow, static_cast<long long>(seen.size()), lastMs,
                socketDrops(descriptor));
    return 0;
}
