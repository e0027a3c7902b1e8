#include "terminalmsg.h"

#include "config.h"
#include "mylib.h"

#include <QDebug>
#include <QHostAddress>
#include <QUdpSocket>

TerminalMsg::TerminalMsg() : PreData(KEY, std::string()) {}

TerminalMsg::~TerminalMsg() = default;

bool TerminalMsg::checkKey(const std::string& key)
{
    return key == KEY;
}

TerminalInfo TerminalMsg::collectInfo()
{
    const RDP_Info rdp = Provider::getRDPInfo();
    Config* config = Config::getInstance();
    const auto latin1 = [](const QString& text) { return text.toLatin1().toStdString(); };

    TerminalInfo info;
    info.id = latin1(config->id());
    info.hostName = latin1(config->hostName());
    info.model = latin1(config->model());
    info.version = latin1(config->version() + "(" + config->compileDate() + ")");
    info.ip = latin1(config->getAddress().toString());
    info.mac = latin1(config->getHardAdress());
    info.rdpIp = latin1(rdp.serverAddress);
    info.rdpPort = rdp.port < 1 ? std::string() : std::to_string(rdp.port);
    info.rdpUser = latin1(rdp.user);
    info.rdpPassword = latin1(rdp.password);
    info.status = "connected";
    return info;
}

void TerminalMsg::dealTask()
{
    qDebug() << "TerminalMsg::dealTask: " << key.c_str();
    content = collectInfo().toContent();
    const std::string packet = toString();
    const QHostAddress destination(extra.toUInt());
    qDebug() << "TerminalMsg::dealTask: " << destination.toString();

    QUdpSocket socket;
    // Unsent, the terminal drops out of every console's discovery unnoticed.
    if (socket.writeDatagram(packet.data(), qint64(packet.size()), destination,
                             Config::getInstance()->udpPort())
        != qint64(packet.size()))
        qWarning() << "TerminalMsg::dealTask: report of" << packet.size() << "bytes not sent:"
                   << socket.errorString();
    delete this;
}
