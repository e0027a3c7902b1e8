#pragma once

#include <QList>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

// Finds what the launcher's sources refer to (text ids, picture names), so
// that tests can check each reference against what the build provides.
class SourceScan
{
public:
    struct Match
    {
        QString where; // "file:line"
        QString captured; // the pattern's first capture group
    };

    // Every match of pattern in the files under dir (recursively) whose
    // names match one of nameFilters; unreadable files end up in unreadable.
    static QList<Match> find(const QString& dir, const QStringList& nameFilters,
                             const QRegularExpression& pattern, QStringList* unreadable);
};
