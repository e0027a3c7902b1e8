#pragma once

#include <QElapsedTimer>
#include <QString>

#include <cstdio>

// A one-line progress display for long transfers, drawn on standard error
// only when it is a terminal, so scripts and logs see no control output.
class Progress
{
public:
    explicit Progress(const QString& label, std::FILE* stream = stderr);
    ~Progress();
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    // total < 0: not known (yet).
    void show(qint64 done, qint64 total);

    // For good: a server's transfers run side by side, where one line per
    // transfer would garble the terminal.
    static void disable();

    static QString text(const QString& label, qint64 done, qint64 total);

private:
    QString m_label;
    std::FILE* m_stream;
    bool m_enabled;
    bool m_drawn = false;
    QElapsedTimer m_sinceDrawn;
};
