#pragma once

#include <QString>
#include <QStringList>

#include <vector>

// Rows of cells printed as aligned columns for people to read: two blanks
// between columns, no padding after the last.
class TextTable
{
public:
    static QString format(const std::vector<QStringList>& rows);
};
