#pragma once

#include <QByteArray>

// Collects what the code under test writes to standard output (the packet
// trace lines) while the object lives.
class StdoutCapture
{
public:
    StdoutCapture();
    ~StdoutCapture();
    StdoutCapture(const StdoutCapture&) = delete;
    StdoutCapture& operator=(const StdoutCapture&) = delete;

    // Everything written so far.
    QByteArray text();

private:
    int m_saved;
    int m_file;
};
