#pragma once

#include <QString>
#include <QStringList>

// The terminal's configuration files: plain text, one value per line.
class LineFile
{
public:
    // The first count lines of the file without their line ends; a missing
    // file or missing lines read as empty strings, so the list always holds
    // count entries. opened, when given, tells whether the file could be read.
    static QStringList read(const QString& path, int count, bool* opened = nullptr);

    // Replaces the file atomically with the lines, each ended by a line feed:
    // a power cut leaves either the old or the new file. The data is flushed
    // to the disk before the rename. Returns false when nothing was written.
    static bool write(const QString& path, const QStringList& lines);

    // The same for content that is not made of lines (a copied file).
    static bool writeBytes(const QString& path, const QByteArray& content);
};
