#include <QCoreApplication>
#include <QNetworkDatagram>
#include <QUdpSocket>

#include <cstdio>

// The least a Qt UDP service needs: an application, a bound socket and the
// event loop. Datagrams are read and dropped.
int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QUdpSocket socket;
    if (!socket.bind(QHostAddress::Any, 9800)) {
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
