#include "progress.h"

#include <atomic>

#include <unistd.h>

namespace {

constexpr int RedrawMs = 100;
constexpr int BarWidth = 30;

std::atomic<bool> allowed{true};

QString mebibytes(qint64 bytes)
{
    return QString::number(double(bytes) / (1024.0 * 1024.0), 'f', 1);
}

} // namespace

Progress::Progress(const QString& label, std::FILE* stream, const QString& unit)
    : m_label(label), m_unit(unit), m_stream(stream),
      m_enabled(allowed && ::isatty(::fileno(stream)) == 1)
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

QString Progress::barText(const QString& label, qint64 done, qint64 total, const QString& unit)
{
    const qint64 filled = total > 0 ? qMin<qint64>(BarWidth, done * BarWidth / total) : 0;
    return QStringLiteral("%1: [%2%3] %4 of %5 %6")
        .arg(label, QString(filled, QLatin1Char('#')), QString(BarWidth - filled, QLatin1Char('.')))
        .arg(done)
        .arg(total)
        .arg(unit);
}

void Progress::show(qint64 done, qint64 total)
{
    const bool last = total > 0 && done >= total;
    if (!m_enabled || (m_drawn && !last && m_sinceDrawn.elapsed() < RedrawMs))
        return;
    const QString line = m_unit.isEmpty() ? text(m_label, done, total)
                                          : barText(m_label, done, total, m_unit);
    std::fprintf(m_stream, "\r%s\033[K", line.toLocal8Bit().constData());
    std::fflush(m_stream);
    m_drawn = true;
    m_sinceDrawn.start();
}
