#include "dashboardaccess.h"

#include <QCryptographicHash>
#include <QPasswordDigestor>
#include <QRandomGenerator>

#include <algorithm>

namespace {

// 256 random bits from the system's generator, as URL-safe text.
QByteArray randomToken()
{
    quint32 words[8];
    QRandomGenerator::system()->fillRange(words);
    return QByteArray(reinterpret_cast<const char*>(words), sizeof words)
        .toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals);
}

} // namespace

DashboardAccess::DashboardAccess(const QByteArray& password, const QList<QByteArray>& hosts)
    : m_hosts(hosts)
{
    if (password.isEmpty())
        return;
    m_salt = randomToken();
    m_digest = digest(password, m_salt);
}

QByteArray DashboardAccess::digest(const QByteArray& password, const QByteArray& salt)
{
    return QPasswordDigestor::deriveKeyPbkdf2(QCryptographicHash::Sha256, password, salt,
                                              Iterations, 32);
}

bool DashboardAccess::checkPassword(const QByteArray& given) const
{
    return needsPassword() && sameBytes(digest(given, m_salt), m_digest);
}

bool DashboardAccess::hostAllowed(const QByteArray& hostHeader) const
{
    return m_hosts.isEmpty()
        || std::any_of(m_hosts.begin(), m_hosts.end(), [&](const QByteArray& host) {
               return hostHeader.compare(host, Qt::CaseInsensitive) == 0;
           });
}

DashboardAccess::Session DashboardAccess::open(const QDateTime& now)
{
    for (auto it = m_sessions.begin(); it != m_sessions.end();)
        it = it->second.expires <= now ? m_sessions.erase(it) : std::next(it);
    if (m_sessions.size() >= MaxSessions) {
        const auto oldest = std::min_element(
            m_sessions.begin(), m_sessions.end(),
            [](const auto& a, const auto& b) { return a.second.expires < b.second.expires; });
        m_sessions.erase(oldest);
    }
    Session session {randomToken(), randomToken(), now.addSecs(SessionSeconds)};
    m_sessions[session.id] = session;
    return session;
}

const DashboardAccess::Session* DashboardAccess::find(const QByteArray& cookieHeader,
                                                      const QDateTime& now)
{
    const QByteArray prefix = QByteArray(CookieName) + '=';
    for (const QByteArray& part : cookieHeader.split(';')) {
        const QByteArray pair = part.trimmed();
        if (!pair.startsWith(prefix))
            continue;
        const auto found = m_sessions.find(pair.mid(prefix.size()));
        if (found == m_sessions.end())
            continue;
        if (found->second.expires > now)
            return &found->second;
        m_sessions.erase(found);
    }
    return nullptr;
}

DashboardAccess::Verdict DashboardAccess::authorize(const QByteArray& cookieHeader,
                                                    const QByteArray& csrfHeader,
                                                    const QDateTime& now)
{
    const Session* session = find(cookieHeader, now);
    if (session == nullptr)
        return Verdict::NoSession;
    return sameBytes(csrfHeader, session->csrf) ? Verdict::Allowed : Verdict::BadToken;
}

QByteArray DashboardAccess::cookie(const Session& session, const QDateTime& now)
{
    return QByteArray(CookieName) + '=' + session.id
        + "; Path=/; HttpOnly; SameSite=Strict; Max-Age="
        + QByteArray::number(now.secsTo(session.expires));
}

bool DashboardAccess::sameBytes(const QByteArray& a, const QByteArray& b)
{
    // The lengths are not secret (every token has the same); the contents are.
    if (a.size() != b.size())
        return false;
    unsigned char difference = 0;
    for (qsizetype i = 0; i < a.size(); ++i)
        difference |= static_cast<unsigned char>(a[i] ^ b[i]);
    return difference == 0;
}
