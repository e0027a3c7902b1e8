#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>

#include <map>

// Who may use the dashboard: the password (kept only as a salted PBKDF2
// digest), the sessions its login opens and their CSRF tokens, and the
// host names a browser may use to reach it. Plain logic, with the time
// passed in, so that a test drives it without a socket.
class DashboardAccess
{
public:
    static constexpr int SessionSeconds = 12 * 3600;
    // The oldest session gives way beyond this: logins cannot fill memory.
    static constexpr std::size_t MaxSessions = 256;
    static constexpr int Iterations = 100000;
    static constexpr const char* CookieName = "termctl_session";

    enum class Verdict { Allowed, NoSession, BadToken };

    struct Session
    {
        QByteArray id; // the cookie value
        QByteArray csrf; // sent back by the page in a header on every change
        QDateTime expires;
    };

    // password empty: none is asked for (the dashboard listens on loopback).
    // hosts: the "Host" headers a browser sends to reach the dashboard on
    // loopback, checked then, so that a foreign page whose name was made to
    // point at this machine gets nothing; empty: any.
    DashboardAccess(const QByteArray& password, const QList<QByteArray>& hosts);

    bool needsPassword() const { return !m_digest.isEmpty(); }
    bool checkPassword(const QByteArray& given) const;
    bool hostAllowed(const QByteArray& hostHeader) const;

    Session open(const QDateTime& now);
    // The live session named by a "Cookie" request header, or null.
    const Session* find(const QByteArray& cookieHeader, const QDateTime& now);
    // For a request that changes something.
    Verdict authorize(const QByteArray& cookieHeader, const QByteArray& csrfHeader,
                      const QDateTime& now);

    // The "Set-Cookie" value for a session.
    static QByteArray cookie(const Session& session, const QDateTime& now);
    // Equal bytes, in a time that does not tell where they differ.
    static bool sameBytes(const QByteArray& a, const QByteArray& b);

private:
    static QByteArray digest(const QByteArray& password, const QByteArray& salt);

    QByteArray m_salt;
    QByteArray m_digest;
    QList<QByteArray> m_hosts;
    std::map<QByteArray, Session> m_sessions;
};
