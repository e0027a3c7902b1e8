#include "consoleclient.h"

#include "reporttable.h"
#include "sharekeys.h"
#include "shareprotocol.h"

#include <QEventLoop>
#include <QNetworkDatagram>
#include <QTimer>
#include <QUdpSocket>

bool ConsoleClient::send(QUdpSocket& socket, const std::string& key, const std::string& content,
                         quint32 destination, QString& error)
{
    const std::string packet = PreData(key, content).toString();
    const QHostAddress address(destination);
    const qint64 sent = socket.writeDatagram(packet.data(), qint64(packet.size()), address,
                                             ConsoleClient::Port);
    if (sent == qint64(packet.size()))
        return true;
    error = QStringLiteral("cannot send to %1: %2").arg(address.toString(), socket.errorString());
    return false;
}

bool ConsoleClient::send(const std::string& key, const std::string& content, quint32 destination,
                         QString& error)
{
    QUdpSocket socket;
    return send(socket, key, content, destination, error);
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

bool ConsoleClient::discover(quint32 destination, int waitMs, ReportTable& reports,
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
    if (!send(socket, ShareKeys::TerminalMsgRequest, std::string(), destination, error))
        return false;
    QTimer::singleShot(waitMs, &loop, &QEventLoop::quit);
    loop.exec();
    // Reports queued by the end of the time came within it, though a busy
    // console had not read them yet.
    drain();
    return true;
}
