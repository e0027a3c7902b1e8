#include "fleetwatch.h"

#include "consoleclient.h"
#include "inventoryrecorder.h"
#include "reporttext.h"
#include "sharekeys.h"

#include <QJsonObject>
#include <QNetworkDatagram>

#include <cstdio>

FleetWatch::FleetWatch(quint32 destination, QObject* parent)
    : QObject(parent)
    , m_destination(destination)
{
    m_timer.setInterval(RoundMs);
    connect(&m_timer, &QTimer::timeout, this, &FleetWatch::round);
    connect(&m_socket, &QUdpSocket::readyRead, this, &FleetWatch::receive);
}

bool FleetWatch::start(QString& error)
{
    if (!ConsoleClient::listen(m_socket, error))
        return false;
    // Without an inventory the dashboard still shows what it hears.
    Inventory inventory;
    QString inventoryError;
    if (inventory.open(inventoryError))
        m_known = inventory.terminals(inventoryError);
    if (!inventoryError.isEmpty())
        std::fprintf(stderr, "termctl: warning: inventory: %s\n",
                     inventoryError.toLocal8Bit().constData());
    m_timer.start();
    round();
    return true;
}

void FleetWatch::round()
{
    InventoryRecorder::keep(m_unrecorded);
    m_unrecorded = ReportTable();
    QString error;
    // A lost round is made up by the next one; the console keeps serving.
    if (!ConsoleClient::send(m_socket, ShareKeys::TerminalMsgRequest, std::string(), m_destination,
                             error))
        std::fprintf(stderr, "termctl: FleetWatch::round: %s\n", error.toLocal8Bit().constData());
}

void FleetWatch::receive()
{
    const QDateTime now = QDateTime::currentDateTimeUtc();
    while (m_socket.hasPendingDatagrams()) {
        const QNetworkDatagram datagram = m_socket.receiveDatagram();
        if (!datagram.isValid())
            break;
        const quint32 sender = datagram.senderAddress().toIPv4Address();
        if (m_reports.addDatagram(datagram.data(), sender)) {
            m_unrecorded.addDatagram(datagram.data(), sender);
            m_heard[QHostAddress(sender).toString().toStdString()] = now;
        }
    }
}

const Json::Value* FleetWatch::report(const std::string& ip) const
{
    return m_reports.find(ip);
}

QJsonArray FleetWatch::terminals(const QDateTime& now) const
{
    QJsonArray list;
    for (const Json::Value* report : m_reports.sorted()) {
        const std::string ip = (*report)["ip"].asString();
        const auto heard = m_heard.find(ip);
        const QDateTime lastSeen = heard != m_heard.end() ? heard->second : QDateTime();
        QJsonObject card;
        for (const char* name :
             {"id", "hostName", "model", "version", "ip", "mac", "RDP_IP", "RDP_PORT", "RDP_USER"})
            card.insert(QLatin1String(name),
                        ReportText::decoded(ReportText::member(*report, name)));
        card.insert(QStringLiteral("lastSeen"), lastSeen.toString(Qt::ISODate));
        card.insert(QStringLiteral("online"),
                    lastSeen.isValid() && lastSeen.msecsTo(now) <= OnlineMs);
        list.append(card);
    }
    for (const Inventory::Terminal& known : m_known) {
        if (m_reports.find(known.ip) != nullptr)
            continue;
        QJsonObject card;
        const std::pair<const char*, const std::string*> members[] = {
            {"id", &known.id},           {"hostName", &known.hostName},
            {"model", &known.model},     {"version", &known.version},
            {"ip", &known.ip},           {"mac", &known.mac},
            {"RDP_IP", &known.rdpIp},    {"RDP_PORT", &known.rdpPort},
            {"RDP_USER", &known.rdpUser}};
        for (const auto& [name, text] : members)
            card.insert(QLatin1String(name), ReportText::decoded(*text));
        card.insert(QStringLiteral("lastSeen"), known.lastSeen.toString(Qt::ISODate));
        card.insert(QStringLiteral("online"), false);
        list.append(card);
    }
    return list;
}
