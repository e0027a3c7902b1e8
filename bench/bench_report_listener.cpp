#include "reportsender.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QNetworkDatagram>
#include <QSet>
#include <QUdpSocket>

#include <cstdio>

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
    // As large as the system allows: the listener must not lose what it times.
    socket.setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, 64 * 1024 * 1024);
    std::fprintf(stderr, "ready\n");

    QElapsedTimer clock;
    QSet<QString> seen;
    double lastMs = -1;
    int inWindow = 0;
    while (!clock.isValid() || (seen.size() < count && clock.elapsed() < maxMs)) {
        const int waitMs = clock.isValid() ? int(maxMs - clock.elapsed()) : -1;
        if (!socket.hasPendingDatagrams() && !socket.waitForReadyRead(waitMs))
            continue;
        while (socket.hasPendingDatagrams()) {
            const QByteArray datagram = socket.receiveDatagram().data();
            if (!clock.isValid()) {
                if (datagram.contains(RequestKey)) {
                    clock.start();
                    std::fprintf(stderr, "request\n");
                }
                continue;
            }
            const QString ip = reportSender(datagram);
            if (!ip.isEmpty() && !seen.contains(ip)) {
                seen.insert(ip);
                lastMs = double(clock.nsecsElapsed()) / 1e6;
                inWindow += lastMs <= windowMs ? 1 : 0;
            }
        }
    }
    std::printf("%d %lld %.1f %lld\n", inWindow, static_cast<long long>(seen.size()), lastMs,
                socketDrops(int(socket.socketDescriptor())));
    return 0;
}
