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

bool ConsoleClient::send(QUdpSocket& socket, const std::string& key, const std::string& content,
                         quint32 destination, QString& error)
{
    return sendFrom(socket, packet(key, content), destination, Port, error);
}

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

bool ConsoleClient::listen(QUdpSocket& socket, QString& error)
{
    // Shared, so that a console can run beside an agent or another console.
    if (socket.bind(QHostAddress::AnyIPv4, Port,
                    QAbstractSocket::ShareAddress | QAbstractSocket::ReuseAddressHint)) {
        // A fleet answers at once: the default buffer holds about 160 reports,
        // so a console held up for a moment would lose the rest. The system
        // caps the size asked for (net.core.rmem_max), doubling at least the
        // default.
        socket.setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption,
                               int(ReportTable::MaxTerminals * ReportBufferBytes));
        return true;
    }
    error = QStringLiteral("cannot listen on UDP port %1: %2").arg(Port).arg(socket.errorString());
    return false;
}

bool ConsoleClient::discover(const std::vector<quint32>& destinations, int waitMs, ReportTable& reports,
                             QString& error, const std::string& awaitedIp)
{
    QUdpSocket socket;
    if (!listen(socket, error))
        return false;
    QEventLoop loop;
    const auto drain = [&] {
        while (socket.hasPendingDatagrams()) {
            const QNetworkDatagram datagram = socket.receiveDatagram();
            if (!datagram.isValid())
                break;
            reports.addDatagram(datagram.data(), datagram.senderAddress().toIPv4Address());
        }
    };
    QObject::connect(&socket, &QUdpSocket::readyRead, &socket, [&] {
        drain();
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
    // Reports queued by the end of the time came within it, though a busy
    // console had not read them yet.
    drain();
    return true;
}
