#include "requestsizeguard.h"

#include <QList>

RequestSizeGuard::RequestSizeGuard(qint64 bodyLimit)
    : m_bodyLimit(bodyLimit)
{ }

bool RequestSizeGuard::take(const QByteArray& bytes)
{
    qsizetype at = 0;
    while (!m_failed && at < bytes.size()) {
        if (m_bodyLeft > 0) {
            const qint64 skipped = qMin<qint64>(m_bodyLeft, bytes.size() - at);
            m_bodyLeft -= skipped;
            at += skipped;
            continue;
        }
        // The head is kept only until its blank line, a few kilobytes at most.
        const qsizetype kept = m_head.size();
        m_head += bytes.mid(at, MaxHeadBytes + 4 - kept);
        const qsizetype end = m_head.indexOf("\r\n\r\n");
        if (end < 0) {
            m_failed = m_head.size() > MaxHeadBytes;
            return !m_failed;
        }
        m_head.truncate(end + 4);
        at += m_head.size() - kept;
        m_failed = !endHead();
        m_head.clear();
    }
    return !m_failed;
}

bool RequestSizeGuard::endHead()
{
    for (const QByteArray& line : m_head.split('\n')) {
        const qsizetype colon = line.indexOf(':');
        if (colon < 0)
            continue;
        const QByteArray name = line.left(colon).trimmed().toLower();
        const QByteArray value = line.mid(colon + 1).trimmed();
        if (name == "transfer-encoding")
            return false;
        if (name == "content-length") {
            bool ok = false;
            const qint64 length = value.toLongLong(&ok);
            if (!ok || length < 0 || length > m_bodyLimit)
                return false;
            m_bodyLeft = length;
        }
    }
    return true;
}
