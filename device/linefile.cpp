#include "linefile.h"

#include <QFile>
#include <QSaveFile>
#include <QTextStream>

QStringList LineFile::read(const QString& path, int count, bool* opened)
{
    QStringList lines;
    QFile file(path);
    const bool readable = file.open(QIODevice::ReadOnly | QIODevice::Text);
    if (opened)
        *opened = readable;
    if (readable) {
        QTextStream in(&file);
        while (lines.size() < count && !in.atEnd())
            lines.append(in.readLine());
    }
    while (lines.size() < count)
        lines.append(QString());
    return lines;
}

bool LineFile::write(const QString& path, const QStringList& lines)
{
    QByteArray content;
    for (const QString& line : lines) {
        content += line.toUtf8();
        content += '\n';
    }
    return writeBytes(path, content);
}

bool LineFile::writeBytes(const QString& path, const QByteArray& content)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    // QSaveFile buffers small writes and its commit() does not notice a
    // failing final flush (a full disk), so the flush is checked here; an
    // uncommitted QSaveFile discards its temporary file and keeps the old one.
    if (file.write(content) != content.size() || !file.flush())
        return false;
    // commit() syncs the data to the disk before the rename.
    return file.commit();
}
