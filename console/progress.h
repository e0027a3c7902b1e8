#pragma once

#include <QElapsedTimer>
#include <QString>

#include <cstdio>

// A one-line progress display for long transfers, drawn on standard error
// only when it is a terminal, so scripts and logs see no control output.
class Progress
{
public:
    // unit: what is counted, such as "terminals", shown as a bar; bytes
    // (in MiB) without one.
    explicit Progress(const QString& label, std::FILE* stream = stderr,
                      const QString& unit = QString());
    ~Progress();
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    // total < 0: not known (yet).
    void show(qint64 done, qint64 total);

    // For good: a server's transfers run side by side, where one line per
    // transfer would garble the terminal.
    static void disable();

    static QString text(const QString& label, qint64 done, qint64 total);
    static QString barText(const QString& label, qint64 done, qint64 total, const QString& unit);

private:
    QString m_label;
    QString m_unit;
    std::FILE* m_stream;
    bool m_enabled;
    bool m_drawn = false;
    QElapsedTimer m_sinceDrawn;
};
