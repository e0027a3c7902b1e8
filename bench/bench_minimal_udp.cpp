#include <QCoreApplication>
#include <QNetworkDatagram>
#include <QUdpSocket>

#include <cstdio>
#include <cstdlib>

// The least a Qt UDP service needs: an application, a bound socket and the
// event loop. Datagrams are read and dropped.
//   bench_minimal_udp [PORT]    (default 9800, the agent's; another one lets
//                                 it run beside an agent)
int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const quint16 port = argc > 1 ? quint16(std::atoi(argv[1])) : 9800;
    QUdpSocket socket;
    if (!socket.bind(QHostAddress::Any, port)) {
        std::fprintf(stderr, "bind failed\n");
        return 1;
    }
    QObject::connect(&socket, &QUdpSocket::readyRead, [&socket] {
        while (socket.hasPendingDatagrams())
            socket.receiveDatagram(0);
    });
    std::fprintf(stderr, "ready\n");
    return app.exec();
}
