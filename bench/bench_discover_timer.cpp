#include "reportsender.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QNetworkDatagram>
#include <QSet>
#include <QThread>
#include <QUdpSocket>

#include <algorithm>
#include <cstdio>
#include <vector>

// Sends discovery requests as the console does and prints, per round, the
// milliseconds until COUNT distinct terminals have reported.
//   bench_discover_timer COUNT [ROUNDS [GAP_MS [TIMEOUT_MS [ADDRESS]]]]
// The last line is "min MEDIAN max" over the rounds that completed.

namespace {

const QByteArray Request = "##{\"content\":\"\",\"key\":\"TERMINALMSG_REQUEST\",\"userId\":\"\"}\n";

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: %s COUNT [ROUNDS [GAP_MS [TIMEOUT_MS [ADDRESS]]]]\n", argv[0]);
        return 2;
    }
    const int count = args.value(1).toInt();
    const int rounds = args.value(2, "1").toInt();
    const int gapMs = args.value(3, "200").toInt();
    const int timeoutMs = args.value(4, "10000").toInt();
    const QHostAddress destination(args.value(5, "192.168.1.255"));

    QUdpSocket socket;
    // Shared, as the console tool binds it, so a local agent could coexist.
    if (!socket.bind(QHostAddress::AnyIPv4, 9800, QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint)) {
        std::fprintf(stderr, "bind: %s\n", qPrintable(socket.errorString()));
        return 1;
    }

    std::vector<double> times;
    for (int round = 0; round < rounds; ++round) {
        // Stragglers of an earlier round must not count for this one.
        while (socket.hasPendingDatagrams())
            socket.receiveDatagram(0);
        QSet<QString> seen;
        QElapsedTimer clock;
        clock.start();
        socket.writeDatagram(Request, destination, 9800);
        double lastMs = -1;
        while (seen.size() < count && clock.elapsed() < timeoutMs) {
            if (!socket.hasPendingDatagrams()
                && !socket.waitForReadyRead(int(timeoutMs - clock.elapsed())))
                continue;
            while (socket.hasPendingDatagrams()) {
                const QString ip = reportSender(socket.receiveDatagram().data());
                if (!ip.isEmpty() && !seen.contains(ip)) {
                    seen.insert(ip);
                    lastMs = double(clock.nsecsElapsed()) / 1e6;
                }
            }
        }
        if (seen.size() < count)
            std::fprintf(stderr, "round %d: timeout, %lld of %d reports\n", round + 1,
                         static_cast<long long>(seen.size()), count);
        else
            times.push_back(lastMs);
        if (round + 1 < rounds)
            QThread::msleep(gapMs);
    }
    if (times.empty()) {
        std::printf("- - -\n");
        return 1;
    }
    std::sort(times.begin(), times.end());
    std::printf("%.2f %.2f %.2f\n", times.front(), times[times.size() / 2], times.back());
    return times.size() == std::size_t(rounds) ? 0 : 1;
}
