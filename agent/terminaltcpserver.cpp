#include "terminaltcpserver.h"

#include "acceptuploadfile.h"
#include "agentpolicy.h"
#include "config.h"
#include "filerequest.h"
#include "getshareprotocoldatarun.h"
#include "overlayrequest.h"
#include "screenrequest.h"
#include "sendfile.h"
#include "sendoverlay.h"
#include "sendscreen.h"
#include "sharetcpserver.h"
#include "socketio.h"
#include "update.h"
#include "updaterequest.h"
#include "uploadrequest.h"

#include <QDebug>
#include <QMetaType>
#include <QSocketNotifier>
#include <QThreadPool>
#include <QTimer>

#include <algorithm>

#include <sys/resource.h>
#include <unistd.h>

namespace {

int descriptorLimit()
{
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY || limit.rlim_cur > 1 << 20)
        return 1 << 20;
    return int(limit.rlim_cur);
}

void stopWatching(QSocketNotifier* notifier)
{
    // Disabled at once, deleted later: this may run inside its own signal.
    notifier->setEnabled(false);
    notifier->deleteLater();
}

} // namespace

TerminalTcpServer::TerminalTcpServer(QObject* parent)
    : QObject(parent), m_server(new ShareTcpServer(this)), m_expiry(new QTimer(this)),
      m_resume(new QTimer(this)), m_descriptorLimit(descriptorLimit())
{
    qDebug() << "TerminalTcpServer::TerminalTcpServer";
    qRegisterMetaType<PreData*>("PreData*");
    if (!m_server->listen(QHostAddress::AnyIPv4, Config::getInstance()->tcpPort()))
        qFatal("Tcp server listen error");
    connect(m_server, qOverload<int>(&ShareTcpServer::newConnection), this,
            &TerminalTcpServer::onNewConnection);
    m_expiry->setSingleShot(true);
    connect(m_expiry, &QTimer::timeout, this, &TerminalTcpServer::onWaitExpired);
    m_resume->setSingleShot(true);
    m_resume->setInterval(AcceptPauseMs);
    connect(m_resume, &QTimer::timeout, this, &TerminalTcpServer::resumeAccepting);
    // Out of descriptors, accept fails at once, again and again: the server
    // stops listening (Qt pauses it) and is resumed later, never spun.
    connect(m_server, &QTcpServer::acceptError, this, [this](QAbstractSocket::SocketError error) {
        qWarning() << "TerminalTcpServer: accept failed:" << error << m_server->errorString();
        pauseAccepting();
    });
}

TerminalTcpServer::~TerminalTcpServer()
{
    while (!m_waiting.empty())
        ::close(takeOldest().handle);
}

void TerminalTcpServer::onNewConnection(int handle)
{
    // Descriptors are handed out lowest first, so a high one means that
    // almost all below it are taken.
    if (handle >= m_descriptorLimit - ReservedDescriptors) {
        qWarning() << "TerminalTcpServer::onNewConnection: running out of descriptors, connection "
                      "closed and accepting paused for"
                   << AcceptPauseMs << "ms";
        ::close(handle);
        pauseAccepting();
        return;
    }
    if (!AgentPolicy::current().admitsConnection(handle)) {
        ::close(handle);
        return;
    }
    if (int(m_waiting.size()) >= MaxWaitingConnections) {
        qWarning() << "TerminalTcpServer::onNewConnection: too many connections without a "
                      "request, closing the oldest";
        ::close(takeOldest().handle);
    }
    SocketIo::setTimeouts(handle, StreamTimeoutMs);
    auto* notifier = new QSocketNotifier(handle, QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this,
            [this, notifier] { onReadable(notifier); });
    m_waiting.push_back({handle, notifier, QDeadlineTimer(FirstPacketTimeoutMs)});
    if (!m_expiry->isActive())
        armExpiry();
}

void TerminalTcpServer::onReadable(QSocketNotifier* notifier)
{
    const auto found = std::find_if(m_waiting.begin(), m_waiting.end(),
                                    [notifier](const Waiting& w) { return w.notifier == notifier; });
    if (found == m_waiting.end())
        return;
    const int handle = found->handle;
    stopWatching(notifier);
    const bool wasOldest = found == m_waiting.begin();
    m_waiting.erase(found);
    if (wasOldest)
        armExpiry();
    // The reader never waits (its bytes are there), so it stays on the global
    // pool, apart from the tasks, and is never queued behind a long transfer.
    QThreadPool::globalInstance()->start(new GetShareProtocolDataRun(handle, this), 0);
}

void TerminalTcpServer::onWaitExpired()
{
    while (!m_waiting.empty() && m_waiting.front().deadline.hasExpired()) {
        qWarning() << "Server Recieve Data Failed";
        ::close(takeOldest().handle);
    }
    armExpiry();
}

TerminalTcpServer::Waiting TerminalTcpServer::takeOldest()
{
    const Waiting oldest = m_waiting.front();
    m_waiting.pop_front();
    stopWatching(oldest.notifier);
    return oldest;
}

void TerminalTcpServer::armExpiry()
{
    if (m_waiting.empty()) {
        m_expiry->stop();
        return;
    }
    m_expiry->start(int(m_waiting.front().deadline.remainingTime()));
}

void TerminalTcpServer::pauseAccepting()
{
    // A pause asked for from a connection's slot runs inside Qt's accept
    // loop, which would go on accepting (and this server refusing) all that
    // is already queued; no room for pending connections ends that loop, so
    // the queued ones stay in the kernel's backlog until the resume.
    m_server->setMaxPendingConnections(0);
    m_server->pauseAccepting();
    m_resume->start();
}

void TerminalTcpServer::resumeAccepting()
{
    // Connections are handed on at once, never kept pending: any room will do.
    m_server->setMaxPendingConnections(1);
    m_server->resumeAccepting();
}

void TerminalTcpServer::onShareProtocolDataProcess(PreData* preData)
{
    qDebug() << "TerminalTcpServer::onShareProtocolDataProcess: " << preData->key.c_str();
    PreData* task = nullptr;
    if (ScreenRequest::checkKey(preData->key))
        task = new SendScreen(*preData);
    else if (UploadRequest::checkKey(preData->key))
        task = new AcceptUploadFile(*preData);
    else if (OverlayRequest::checkKey(preData->key))
        task = new SendOverlay(*preData);
    else if (UpdateRequest::checkKey(preData->key))
        task = new Update(*preData);
    else if (FileRequest::checkKey(preData->key))
        task = new SendFile(*preData);
    else
        ::close(preData->extra.toInt());
    preData->dealTask();
    if (task != nullptr)
        emit newRequest(task);
}
