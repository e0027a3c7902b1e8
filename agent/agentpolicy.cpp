#include "agentpolicy.h"

#include "devicepaths.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

#include <mutex>

#include <climits>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// Links in a named path are resolved where they exist now, so that an entry
// compares with the real paths of opened files.
QString entryPath(const QString& value)
{
    if (!QDir::isAbsolutePath(value))
        return QString();
    const QString canonical = QFileInfo(value).canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(value) : canonical;
}

bool isUnder(const QString& path, const QString& entry)
{
    if (entry == QLatin1String("/"))
        return true;
    return path == entry || (path.startsWith(entry) && path.at(entry.size()) == QLatin1Char('/'));
}

bool isUnderAny(const QString& path, const QStringList& entries)
{
    for (const QString& entry : entries) {
        if (isUnder(path, entry))
            return true;
    }
    return false;
}

} // namespace

const AgentPolicy& AgentPolicy::current()
{
    static const AgentPolicy policy = load(QStringLiteral(AGENTPOLICYFILE));
    return policy;
}

AgentPolicy AgentPolicy::load(const QString& path)
{
    QFile file(path);
    if (!file.exists()) {
        qDebug() << "AgentPolicy::load: no policy file, no limits";
        return AgentPolicy();
    }
    AgentPolicy policy;
    if (!file.open(QIODevice::ReadOnly)) {
        // The administrator meant to limit something: an unreadable policy
        // must not leave the agent open.
        qWarning() << "AgentPolicy::load: cannot read" << path << "-" << file.errorString()
                   << "; no TCP host allowed, no file served";
        policy.m_limitsTcp = true;
        policy.m_limitsServed = true;
        return policy;
    }
    policy = parse(file.readAll());
    qDebug() << "AgentPolicy::load:" << path << "TCP hosts:"
             << (policy.m_limitsTcp ? QString::number(policy.m_tcpPeers.size()) : QStringLiteral("any"))
             << "served:" << (policy.m_limitsServed ? policy.m_served.join(' ') : QStringLiteral("all"))
             << "refused:" << policy.m_refused.join(' ');
    return policy;
}

AgentPolicy AgentPolicy::parse(const QByteArray& text)
{
    AgentPolicy policy;
    const QList<QByteArray> lines = text.split('\n');
    for (qsizetype number = 0; number < lines.size(); ++number) {
        const QString line = QString::fromUtf8(lines[number]).section(QLatin1Char('#'), 0, 0).trimmed();
        if (line.isEmpty())
            continue;
        const QString directive = line.section(QRegularExpression(QStringLiteral("\\s+")), 0, 0);
        const QString value = line.mid(directive.size()).trimmed();
        bool valid = false;
        if (directive == QLatin1String("allow-tcp")) {
            policy.m_limitsTcp = true;
            // A bare address is that one host.
            const QPair<QHostAddress, int> subnet = QHostAddress::parseSubnet(
                value.contains(QLatin1Char('/')) ? value : value + QLatin1String("/32"));
            valid = subnet.first.protocol() == QAbstractSocket::IPv4Protocol;
            if (valid)
                policy.m_tcpPeers.append(subnet);
        } else if (directive == QLatin1String("serve")) {
            policy.m_limitsServed = true;
            const QString path = entryPath(value);
            valid = !path.isEmpty();
            if (valid)
                policy.m_served.append(path);
        } else if (directive == QLatin1String("refuse")) {
            const QString path = entryPath(value);
            valid = !path.isEmpty();
            if (valid)
                policy.m_refused.append(path);
        }
        if (!valid)
            qWarning() << "AgentPolicy::parse: line" << number + 1 << "ignored, not a valid rule:" << line;
    }
    return policy;
}

bool AgentPolicy::allowsTcpPeer(const QHostAddress& peer) const
{
    if (!m_limitsTcp)
        return true;
    for (const auto& subnet : m_tcpPeers) {
        if (peer.isInSubnet(subnet))
            return true;
    }
    return false;
}

bool AgentPolicy::serves(const QString& realPath) const
{
    if (m_limitsServed && !isUnderAny(realPath, m_served))
        return false;
    return !isUnderAny(realPath, m_refused);
}

bool AgentPolicy::admitsConnection(int handle) const
{
    if (!m_limitsTcp)
        return true;
    sockaddr_in peer = {};
    socklen_t length = sizeof peer;
    if (::getpeername(handle, reinterpret_cast<sockaddr*>(&peer), &length) != 0 || peer.sin_family != AF_INET)
        return false;
    const QHostAddress address(ntohl(peer.sin_addr.s_addr));
    if (allowsTcpPeer(address))
        return true;
    // Bounded, so that many addresses cannot grow it; past the bound hosts
    // are logged afresh.
    static std::mutex mutex;
    static QSet<quint32> logged;
    const std::lock_guard<std::mutex> lock(mutex);
    if (logged.size() >= 1024)
        logged.clear();
    if (!logged.contains(address.toIPv4Address())) {
        logged.insert(address.toIPv4Address());
        qWarning() << "AgentPolicy: TCP connection from" << qPrintable(address.toString())
                   << "closed, the host is not allowed by the policy (logged once per host)";
    }
    return false;
}

bool AgentPolicy::servesOpenFile(int descriptor) const
{
    if (!m_limitsServed && m_refused.isEmpty())
        return true;
    char target[PATH_MAX];
    const QByteArray link = "/proc/self/fd/" + QByteArray::number(descriptor);
    const ssize_t n = ::readlink(link.constData(), target, sizeof target - 1);
    if (n <= 0 || n >= ssize_t(sizeof target - 1) || target[0] != '/')
        return false;
    return serves(QString::fromUtf8(target, n));
}
