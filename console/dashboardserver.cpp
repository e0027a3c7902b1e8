#include "dashboardserver.h"

#include "addresscodec.h"
#include "commandline.h"
#include "guardedtcpserver.h"
#include "progress.h"
#include "rdpsettings.h"
#include "terminalactions.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonDocument>
#include <QLocale>
#include <QUrlQuery>

#include <cstdio>

#include <unistd.h>

namespace {

using Status = QHttpServerResponse::StatusCode;

QHttpServerResponse failure(const QString& message, Status status)
{
    return QHttpServerResponse(QJsonObject {{QStringLiteral("error"), message}}, status);
}

QHttpServerResponse redirect(const QByteArray& location)
{
    QHttpServerResponse response(Status::SeeOther);
    response.setHeader("Location", location);
    return response;
}

std::optional<quint32> terminalAddress(const QString& ip)
{
    return AddressCodec::parse(ip.toStdString());
}

} // namespace

DashboardServer::DashboardServer(const QByteArray& password, const QHostAddress& address,
                                 quint16 port, quint32 discoverTo, QObject* parent)
    : QObject(parent)
    , m_address(address)
    , m_port(port)
    , m_access(
          password,
          address.isLoopback() && password.isEmpty()
              ? QList<QByteArray> {address.toString().toLatin1() + ':' + QByteArray::number(port),
                                   "localhost:" + QByteArray::number(port)}
              : QList<QByteArray>())
    , m_fleet(discoverTo)
{
    // The pages live in this static library, where the linker would drop
    // resources that nothing names.
    Q_INIT_RESOURCE(dashboard);
    addRoutes();
}

bool DashboardServer::start(QString& error)
{
    auto* listener = new GuardedTcpServer(MaxBodyBytes, &m_http);
    if (!listener->listen(m_address, m_port)) {
        error = QStringLiteral("cannot listen on %1:%2: %3")
                    .arg(m_address.toString())
                    .arg(m_port)
                    .arg(listener->errorString());
        return false;
    }
    m_http.bind(listener);
    return m_fleet.start(error);
}

void DashboardServer::addRoutes()
{
    using Method = QHttpServerRequest::Method;
    m_http.route("/", Method::Get, [this](const QHttpServerRequest& request) {
        return page(request, QStringLiteral(":/dashboard/index.html"), "text/html; charset=utf-8");
    });
    m_http.route("/dashboard.js", Method::Get, [this](const QHttpServerRequest& request) {
        return page(request, QStringLiteral(":/dashboard/dashboard.js"), "text/javascript");
    });
    m_http.route("/dashboard.css", Method::Get, [this](const QHttpServerRequest& request) {
        return page(request, QStringLiteral(":/dashboard/dashboard.css"), "text/css");
    });
    m_http.route("/login", Method::Get, [this](const QHttpServerRequest& request) {
        return page(request, QStringLiteral(":/dashboard/login.html"), "text/html; charset=utf-8");
    });
    m_http.route("/login", Method::Post,
                 [this](const QHttpServerRequest& request) { return login(request); });
    m_http.route("/api/session", Method::Get, [this](const QHttpServerRequest& request) {
        return answer(request, Need::Session, [](const DashboardAccess::Session& session) {
            return QHttpServerResponse(
                QJsonObject {{QStringLiteral("csrf"), QString::fromLatin1(session.csrf)}});
        });
    });
    m_http.route("/api/terminals", Method::Get, [this](const QHttpServerRequest& request) {
        return answer(request, Need::Session, [this](const DashboardAccess::Session&) {
            return QHttpServerResponse(m_fleet.terminals(QDateTime::currentDateTimeUtc()));
        });
    });
    m_http.route("/api/terminals/<arg>/screen", Method::Get,
                 [this](const QString& ip, const QHttpServerRequest& request) {
                     return answer(
                         request, Need::Session,
                         [this, ip](const DashboardAccess::Session&) { return screen(ip); });
                 });
    m_http.route(
        "/api/terminals/<arg>/update", Method::Get,
        [this](const QString& ip, const QHttpServerRequest& request) {
            return answer(request, Need::Session, [this, ip](const DashboardAccess::Session&) {
                const auto address = terminalAddress(ip);
                return address ? QHttpServerResponse(m_updates.state(*address))
                               : failure(QStringLiteral("invalid address"), Status::BadRequest);
            });
        });
    m_http.route(
        "/api/terminals/<arg>/<arg>", Method::Post,
        [this](const QString& ip, const QString& action, const QHttpServerRequest& request) {
            return answer(request, Need::Change,
                          [this, ip, action, &request](const DashboardAccess::Session&) {
                              return act(ip, action, request);
                          });
        });
}

QHttpServerResponse DashboardServer::answer(const QHttpServerRequest& request, Need need,
                                            const Handler& handler)
{
    const QDateTime now = QDateTime::currentDateTimeUtc();
    const QByteArray cookies = request.value("Cookie");
    QHttpServerResponse response(Status::Forbidden);
    if (!m_access.hostAllowed(request.value("Host"))) {
        response = failure(QStringLiteral("unknown host name"), Status::Forbidden);
    } else if (need == Need::Open) {
        response = handler(DashboardAccess::Session());
    } else if (need == Need::Change) {
        switch (m_access.authorize(cookies, request.value("X-CSRF-Token"), now)) {
        case DashboardAccess::Verdict::NoSession:
            response = failure(QStringLiteral("no session: log in"), Status::Unauthorized);
            break;
        case DashboardAccess::Verdict::BadToken:
            response = failure(QStringLiteral("missing or wrong CSRF token"), Status::Forbidden);
            break;
        case DashboardAccess::Verdict::Allowed:
            response = handler(*m_access.find(cookies, now));
            break;
        }
    } else if (const DashboardAccess::Session* session = m_access.find(cookies, now)) {
        response = handler(*session);
    } else if (need == Need::Page && !m_access.needsPassword()) {
        // On loopback without a password, loading the page is the login.
        const DashboardAccess::Session opened = m_access.open(now);
        response = handler(opened);
        response.addHeader("Set-Cookie", DashboardAccess::cookie(opened, now));
    } else if (need == Need::Page) {
        response = redirect("/login");
    } else {
        response = failure(QStringLiteral("no session: log in"), Status::Unauthorized);
    }
    response.setHeader("Cache-Control", "no-store");
    response.setHeader("X-Content-Type-Options", "nosniff");
    response.setHeader("Content-Security-Policy",
                       "default-src 'self'; img-src 'self' blob:; frame-ancestors 'none'");
    return response;
}

QHttpServerResponse DashboardServer::page(const QHttpServerRequest& request,
                                          const QString& resource, const QByteArray& type)
{
    // The login page and its style are for everyone; the rest needs a session.
    const bool open =
        resource.endsWith(QLatin1String("login.html")) || resource.endsWith(QLatin1String(".css"));
    return answer(request, open ? Need::Open : Need::Page,
                  [resource, type](const DashboardAccess::Session&) {
                      QFile file(resource);
                      file.open(QIODevice::ReadOnly);
                      return QHttpServerResponse(type, file.readAll());
                  });
}

QHttpServerResponse DashboardServer::login(const QHttpServerRequest& request)
{
    // A form's body: "+" stands for a blank.
    QByteArray body = request.body();
    body.replace('+', "%20");
    const QString password = QUrlQuery(QString::fromLatin1(body))
                                 .queryItemValue(QStringLiteral("password"), QUrl::FullyDecoded);
    if (!m_access.hostAllowed(request.value("Host")) || !m_access.checkPassword(password.toUtf8()))
        return redirect("/login?failed");
    const QDateTime now = QDateTime::currentDateTimeUtc();
    const DashboardAccess::Session session = m_access.open(now);
    QHttpServerResponse response = redirect("/");
    response.addHeader("Set-Cookie", DashboardAccess::cookie(session, now));
    return response;
}

QHttpServerResponse DashboardServer::screen(const QString& ip)
{
    const auto address = terminalAddress(ip);
    if (!address)
        return failure(QStringLiteral("invalid address"), Status::BadRequest);
    const QDateTime now = QDateTime::currentDateTimeUtc();
    const ThumbnailCache::Picture picture = m_thumbnails.get(*address, now);
    // None yet: the page asks again shortly, while the fetch runs.
    if (picture.jpeg.isEmpty())
        return QHttpServerResponse(Status::Accepted);
    QHttpServerResponse response("image/jpeg", picture.jpeg);
    // When the screen was taken, by this host's clock: the card tells a
    // picture the terminal no longer renews from a live one.
    const auto httpDate = [](const QDateTime& time) {
        return QLocale::c().toString(time, u"ddd, dd MMM yyyy hh:mm:ss 'GMT'").toLatin1();
    };
    response.addHeader("Date", httpDate(now));
    response.addHeader("Last-Modified", httpDate(picture.taken.toUTC()));
    response.addHeader("Cache-Control", "no-store");
    return response;
}

QHttpServerResponse DashboardServer::act(const QString& ip, const QString& action,
                                         const QHttpServerRequest& request)
{
    const auto address = terminalAddress(ip);
    if (!address)
        return failure(QStringLiteral("invalid address"), Status::BadRequest);
    QString error;
    bool done = false;
    if (action == QLatin1String("reboot") || action == QLatin1String("shutdown")) {
        done = TerminalActions::power(action, ip, error);
    } else if (action == QLatin1String("rdp")) {
        const QJsonObject fields = QJsonDocument::fromJson(request.body()).object();
        done = TerminalActions::setRdp(ip, fields, m_fleet.report(ip.toStdString()), error);
    } else if (action == QLatin1String("package")) {
        const QUrlQuery query = request.query();
        bool ok = false;
        const qint64 offset = query.queryItemValue(QStringLiteral("offset")).toLongLong(&ok);
        done = ok
            && m_updates.receive(*address,
                                 query.queryItemValue(QStringLiteral("name"), QUrl::FullyDecoded),
                                 offset, request.body(), error);
        if (!ok)
            error = QStringLiteral("invalid offset");
    } else if (action == QLatin1String("update")) {
        done = m_updates.install(*address, error);
    } else {
        return failure(QStringLiteral("unknown action"), Status::NotFound);
    }
    if (!done)
        return failure(error, Status::BadRequest);
    return QHttpServerResponse(QJsonObject {{QStringLiteral("ok"), true}});
}

int DashboardServer::run(const CommandLine& command, QString& error)
{
    const QHostAddress address(command.listenAddress);
    std::string password;
    if (!command.passwordFile.isEmpty()) {
        if (!RdpSettings::readPassword(command.passwordFile, password, error))
            return 2;
    } else if (!address.isLoopback()) {
        if (::isatty(STDIN_FILENO) != 1) {
            error = QStringLiteral("listening on %1 needs a password: give --password-file FILE")
                        .arg(address.toString());
            return 2;
        }
        if (!RdpSettings::readPassword(QStringLiteral("-"), password, error))
            return 2;
    }
    if (!address.isLoopback() && password.empty()) {
        error = QStringLiteral("the password is empty");
        return 2;
    }
    Progress::disable();
    DashboardServer server(QByteArray::fromStdString(password), address, command.listenPort,
                           CommandLine::LimitedBroadcast);
    password.assign(password.size(), '\0');
    if (!server.start(error))
        return 1;
    std::fprintf(stderr, "termctl: the dashboard is at http://%s:%u/\n",
                 address.toString().toLocal8Bit().constData(), unsigned(command.listenPort));
    return QCoreApplication::exec();
}
