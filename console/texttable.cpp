#include "texttable.h"

#include <algorithm>

QString TextTable::format(const std::vector<QStringList>& rows)
{
    std::vector<qsizetype> widths;
    for (const QStringList& cells : rows) {
        widths.resize(std::max(widths.size(), std::size_t(cells.size())), 0);
        for (qsizetype i = 0; i < cells.size(); ++i)
            widths[std::size_t(i)] = std::max(widths[std::size_t(i)], cells[i].size());
    }
    QString text;
    for (const QStringList& cells : rows) {
        QString line;
        for (qsizetype i = 0; i < cells.size(); ++i) {
            if (i > 0)
                line += QLatin1String("  ");
            line += cells[i].leftJustified(widths[std::size_t(i)]);
        }
        while (line.endsWith(QLatin1Char(' ')))
            line.chop(1);
        text += line + QLatin1Char('\n');
    }
    return text;
}
