#include "consoleclient.h"

#include "reporttable.h"
#include "sharekeys.h"
#include "shareprotocol.h"

#include <QEventLoop>
#include <QNetworkDatagram>
#include <QTimer>
#include <QUdpSocket>

namespace {

bool sendFrom(QUdpSocket& socket, const QByteArray& datagram, quint32 destination, quint16 port,
              QString& error)
{
    const QHostAddress address(destination);
    if (socket.writeDatagram(datagram, address, port) == datagram.size())
        return true;
    error = QStringLiteral("cannot send to %1: %2").arg(address.toString(), socket.errorString());
    return false;
}

QByteArray packet(const std::string& key, const std::string& content)
{
    return QByteArray::fromStdString(PreData(key, content).toString());
}

} // namespace

bool ConsoleClient::send(const std::string& key, const std::string& content, quint32 destination,
                         QString& error)
{
    return sendDatagram(packet(key, content), destination, Port, error);
}

bool ConsoleClient::sendDatagram(const QByteArray& datagram, quint32 destination, quint16 port,
                                 QString& error)
{
    QUdpSocket socket;
    return sendFrom(socket, datagram, destination, port, error);
}

bool ConsoleClient::discover(const std::vector<quint32>& destinations, int waitMs, ReportTable& reports,
                             QString& error, const std::string& awaitedIp)
{
    QUdpSocket socket;
    // Shared, so that a console can run beside an agent or another console.
    if (!socket.bind(QHostAddress::AnyIPv4, Port,
                     QAbstractSocket::ShareAddress | QAbstractSocket::ReuseAddressHint)) {
        error = QStringLiteral("cannot listen on UDP port %1: %2")
                    .arg(Port)
                    .arg(socket.errorString());
        return false;
    }
    QEventLoop loop;
    QObject::connect(&socket, &QUdpSocket::readyRead, &socket, [&] {
        while (socket.hasPendingDatagrams()) {
            const QNetworkDatagram datagram = socket.receiveDatagram();
            if (!datagram.isValid())
                break;
            reports.addDatagram(datagram.data(), datagram.senderAddress().toIPv4Address());
        }
        if (!awaitedIp.empty() && reports.find(awaitedIp) != nullptr)
            loop.quit();
    });
    // One request to each destination, the answers collected once.
    const QByteArray request = packet(ShareKeys::TerminalMsgRequest, std::string());
    for (const quint32 destination : destinations) {
        if (!sendFrom(socket, request, destination, Port, error))
            return false;
    }
    QTimer::singleShot(waitMs, &loop, &QEventLoop::quit);
    loop.exec();
    return true;
}
