#include "getshareprotocoldatarun.h"

#include "shareprotocol.h"
#include "socketio.h"
#include "terminaltcpserver.h"

#include <QDebug>

#include <cstring>

#include <sys/socket.h>
#include <unistd.h>

GetShareProtocolDataRun::GetShareProtocolDataRun(int handle, TerminalTcpServer* server)
    : m_handle(handle), m_server(server)
{
}

void GetShareProtocolDataRun::run()
{
    qDebug() << "GetShareProtocolDataRun::run ";
    char buffer[256] = {};
    // MSG_DONTWAIT: the server saw the descriptor readable, and a pool
    // thread must never be held by a client that has not proved itself.
    const qint64 received = SocketIo::receiveSome(m_handle, buffer, sizeof buffer, MSG_DONTWAIT);
    if (received <= 0) {
        qWarning() << "Server Recieve Data Failed";
        ::close(m_handle);
        return;
    }
    if (received > 255)
        buffer[255] = '\0';
    // A settings request belongs on the UDP port, but one sent here must not
    // leave its password in the log.
    if (std::strstr(buffer, "RDP_PASSWORD") != nullptr)
        qDebug() << "GetShareProtocolDataRun::receive: <text with a password, not logged>";
    else
        qDebug() << "GetShareProtocolDataRun::receive: " << buffer;

    PreData* packet = nullptr;
    if (PreData::isShareProtocol(buffer, unsigned(received)))
        packet = PreData::unpack(buffer, QVariant(m_handle));
    if (packet != nullptr && !m_server.isNull()) {
        QMetaObject::invokeMethod(m_server.data(), "onShareProtocolDataProcess",
                                  Qt::QueuedConnection, Q_ARG(PreData*, packet));
        return;
    }
    delete packet;
    ::close(m_handle);
}
