#include "terminalclient.h"

#include "bcreceivemonitor.h"
#include "config.h"
#include "requesthandler.h"
#include "terminalmsg.h"
#include "terminaltcpserver.h"
#include "terminaludpserver.h"

#include <QDebug>

TerminalClient::TerminalClient(QObject* parent)
    : QObject(parent),
      m_requestHandler(new RequestHandler(this)),
      m_udpServer(new TerminalUdpServer(this)),
      m_tcpServer(new TerminalTcpServer(this)),
      m_bcReceiveMonitor(new BcReceiveMonitor(this))
{
    connect(m_udpServer, &TerminalUdpServer::newRequest, m_requestHandler,
            &RequestHandler::handleRequest);
    connect(m_tcpServer, &TerminalTcpServer::newRequest, m_requestHandler,
            &RequestHandler::handleStreamTask);
    connect(Config::getInstance(), &Config::networkOnlineChange, this,
            &TerminalClient::onNetworkOnlineChange);
    onNetworkOnlineChange(true);
}

QString TerminalClient::version()
{
    return Config::getInstance()->version();
}

void TerminalClient::stopCompanion()
{
    m_bcReceiveMonitor->stop();
}

void TerminalClient::onNetworkOnlineChange(bool state)
{
    qDebug() << "TerminalClient::onNetworkOnlineChange: " << state;
    auto* report = new TerminalMsg();
    report->extra = QVariant(uint(Config::getInstance()->getBroadcast()));
    m_requestHandler->handleRequest(report);
}
