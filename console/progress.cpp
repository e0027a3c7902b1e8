#include "progress.h"

#include <atomic>

#include <unistd.h>

namespace {

constexpr int RedrawMs = 100;

std::atomic<bool> allowed{true};

QString mebibytes(qint64 bytes)
{
    return QString::number(double(bytes) / (1024.0 * 1024.0), 'f', 1);
}

} // namespace

Progress::Progress(const QString& label, std::FILE* stream)
    : m_label(label), m_stream(stream), m_enabled(allowed && ::isatty(::fileno(stream)) == 1)
{
}

void Progress::disable()
{
    allowed = false;
}

Progress::~Progress()
{
    if (m_drawn)
        std::fputc('\n', m_stream);
}

QString Progress::text(const QString& label, qint64 done, qint64 total)
{
    if (total <= 0)
        return QStringLiteral("%1: %2 MiB").arg(label, mebibytes(done));
    return QStringLiteral("%1: %2 of %3 MiB (%4%)")
        .arg(label, mebibytes(done), mebibytes(total))
        .arg(done * 100 / total);
}

void Progress::show(qint64 done, qint64 total)
{
    const bool last = total > 0 && done >= total;
    if (!m_enabled || (m_drawn && !last && m_sinceDrawn.elapsed() < RedrawMs))
        return;
    std::fprintf(m_stream, "\r%s\033[K", text(m_label, done, total).toLocal8Bit().constData());
    std::fflush(m_stream);
    m_drawn = true;
    m_sinceDrawn.start();
}
