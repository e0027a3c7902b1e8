#include "sourcescan.h"

#include <QDirIterator>
#include <QFile>

QList<SourceScan::Match> SourceScan::find(const QString& dir, const QStringList& nameFilters,
                                          const QRegularExpression& pattern, QStringList* unreadable)
{
    QList<Match> matches;
    QDirIterator files(dir, nameFilters, QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString path = files.next();
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
            unreadable->append(path);
            continue;
        }
        const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
        for (int i = 0; i < lines.size(); ++i) {
            QRegularExpressionMatchIterator found = pattern.globalMatch(lines[i]);
            while (found.hasNext())
                matches.append({QStringLiteral("%1:%2").arg(path).arg(i + 1), found.next().captured(1)});
        }
    }
    return matches;
}
