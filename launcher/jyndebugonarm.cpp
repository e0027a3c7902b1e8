#include "jyndebugonarm.h"

#include <QFile>

namespace {
// The status tick logs twice a second while associated; on the terminal's
// small flash the log and its one older generation together stay under 1 MiB.
constexpr qint64 rotateAt = 512 * 1024;
} // namespace

QString jyndebugonarm::s_fileName = QStringLiteral("/jyndebugfromqt.txt");

jyndebugonarm::jyndebugonarm(const QString& line)
{
    QFile file(s_fileName);
    if (file.size() >= rotateAt) {
        const QString older = s_fileName + QStringLiteral(".1");
        QFile::remove(older);
        file.rename(older);
        file.setFileName(s_fileName);
    }
    if (!file.open(QIODevice::Append | QIODevice::Text))
        return;
    file.write(line.toUtf8() + '\n');
}

QString jyndebugonarm::fileName()
{
    return s_fileName;
}

void jyndebugonarm::setFileName(const QString& fileName)
{
    s_fileName = fileName;
}
