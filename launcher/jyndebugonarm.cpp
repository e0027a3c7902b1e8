#include "jyndebugonarm.h"

#include <QFile>

QString jyndebugonarm::s_fileName = QStringLiteral("/jyndebugfromqt.txt");

jyndebugonarm::jyndebugonarm(const QString& line)
{
    QFile file(s_fileName);
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
