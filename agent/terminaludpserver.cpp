#include "terminaludpserver.h"

#include "config.h"
#include "setrdpinfo.h"
#include "setrdpinforequest.h"
#include "terminalmsg.h"
#include "terminalmsgrequest.h"
#include "terminalreboot.h"
#include "terminalrebootrequest.h"
#include "terminalshutdown.h"
#include "terminalshutdownrequest.h"

#include <QDebug>
#include <QUdpSocket>

TerminalUdpServer::TerminalUdpServer(QObject* parent)
    : QObject(parent), m_udpSocket(new QUdpSocket(this))
{
    qDebug() << "TerminalUdpServer::TerminalUdpServer";
    // IPv4 only: Any would be dual-stack and take IPv6 datagrams too.
    if (!m_udpSocket->bind(QHostAddress::AnyIPv4, Config::getInstance()->udpPort()))
        qFatal("TerminalUdpServer::TerminalUdpServer: bind failure!!!");
    connect(m_udpSocket, &QUdpSocket::readyRead, this, &TerminalUdpServer::onServerReadyRead);
}

bool TerminalUdpServer::active() const
{
    return m_udpSocket->state() == QAbstractSocket::BoundState;
}

void TerminalUdpServer::onServerReadyRead()
{
    while (m_udpSocket->hasPendingDatagrams()) {
        const qint64 size = m_udpSocket->pendingDatagramSize();
        QByteArray buffer(size > 0 ? size : 0, Qt::Uninitialized);
        const qint64 read = m_udpSocket->readDatagram(buffer.data(), buffer.size());
        if (read < 0)
            continue;
        buffer.truncate(read);
        if (PreData::isShareProtocol(buffer.constData(), unsigned(buffer.size())))
            onShareProtocolDataProcess(buffer);
    }
}

void TerminalUdpServer::onShareProtocolDataProcess(QByteArray byteArray)
{
    // QByteArray keeps its data NUL-terminated; an embedded NUL ends the text.
    PreData* packet = PreData::unpack(byteArray.constData(), QVariant());
    if (packet == nullptr)
        return;

    PreData* task = nullptr;
    if (TerminalMsgRequest::checkKey(packet->key)) {
        qDebug() << "TerminalUdpServer::onShareProtocolDataProcess: TerminaMsgRequest";
        task = new TerminalMsg();
        // Looked up afresh for a report only: reading the interface table
        // for every datagram would make a flood of others' datagrams dear.
        task->extra = QVariant(uint(Config::getInstance()->getBroadcast()));
    } else if (TerminalShutdownRequest::checkKey(packet->key)) {
        qDebug() << "TerminalUdpServer::onShareProtocolDataProcess: TerminalShutdownRequest";
        task = new TerminalShutdown(*packet);
    } else if (TerminalRebootRequest::checkKey(packet->key)) {
        qDebug() << "TerminalUdpServer::onShareProtocolDataProcess: TerminalRebootRequest";
        task = new TerminalReboot(*packet);
    } else if (SetRdpinfoRequest::checkKey(packet->key)) {
        qDebug() << "TerminalUdpServer::onShareProtocolDataProcess: SetRdpinfoRequest";
        task = new SetRdpinfo(*packet);
    }
    packet->dealTask();
    if (task != nullptr)
        emit newRequest(task);
}
