#pragma once

#include <QString>

// launcher-lite's debug log: each object appends one line to the log file.
// A file grown to 512 KiB is first moved aside to the file name followed by
// ".1" (replacing the one there), so the log keeps its last lines within a
// fixed size.
class jyndebugonarm
{
public:
    explicit jyndebugonarm(const QString& line);

    // The file the lines go to; "/jyndebugfromqt.txt" on the terminal.
    static QString fileName();
    // Points the log elsewhere, for tests that must not write to "/".
    static void setFileName(const QString& fileName);

private:
    static QString s_fileName;
};
