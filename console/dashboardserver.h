#pragma once

#include "dashboardaccess.h"
#include "fleetwatch.h"
#include "thumbnailcache.h"
#include "updatejobs.h"

#include <QHostAddress>
#include <QHttpServer>
#include <QHttpServerResponse>

#include <functional>

class CommandLine;

// termctl serve: the fleet dashboard over HTTP. Every answer goes through
// one gate (answer()) that checks the host, the session and, for a change,
// the CSRF token before the handler runs, and adds the same headers.
class DashboardServer : public QObject
{
    Q_OBJECT
public:
    static constexpr quint16 DefaultPort = 8080;
    // A piece of a package and its head; anything larger is cut off unread.
    static constexpr qint64 MaxBodyBytes = UpdateJobs::MaxPieceBytes + 64 * 1024;

    DashboardServer(const QByteArray& password, const QHostAddress& address, quint16 port,
                    quint32 discoverTo, QObject* parent = nullptr);

    bool start(QString& error);
    // Runs serve until the process is ended; termctl's exit status.
    static int run(const CommandLine& command, QString& error);

private:
    enum class Need { Open, Page, Session, Change };
    using Handler = std::function<QHttpServerResponse(const DashboardAccess::Session&)>;

    void addRoutes();
    QHttpServerResponse answer(const QHttpServerRequest& request, Need need,
                               const Handler& handler);
    QHttpServerResponse page(const QHttpServerRequest& request, const QString& resource,
                             const QByteArray& type);
    QHttpServerResponse login(const QHttpServerRequest& request);
    QHttpServerResponse screen(const QString& ip);
    QHttpServerResponse act(const QString& ip, const QString& action,
                            const QHttpServerRequest& request);

    QHostAddress m_address;
    quint16 m_port;
    DashboardAccess m_access;
    FleetWatch m_fleet;
    ThumbnailCache m_thumbnails;
    UpdateJobs m_updates;
    QHttpServer m_http;
};
