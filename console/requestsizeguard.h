#pragma once

#include <QByteArray>

// Follows the requests on one HTTP connection as its bytes arrive, before
// the server buffers them, and says when a peer goes beyond the bounds: a
// request head larger than MaxHeadBytes, a body announced larger than the
// limit, or a body whose length is not announced (chunked). The HTTP server
// keeps a whole request in memory, so this is what bounds that memory.
class RequestSizeGuard
{
public:
    static constexpr qsizetype MaxHeadBytes = 16 * 1024;

    explicit RequestSizeGuard(qint64 bodyLimit);

    // The next bytes of the connection; false once it has to be closed.
    bool take(const QByteArray& bytes);

private:
    bool endHead();

    qint64 m_bodyLimit;
    QByteArray m_head;
    qint64 m_bodyLeft = 0;
    bool m_failed = false;
};
