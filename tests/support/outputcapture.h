#pragma once

#include <QByteArray>

#include <cstdio>

// Collects what the code under test writes to standard output or standard
// error (trace and log lines) while the object lives.
class OutputCapture
{
public:
    // stream: stdout or stderr.
    explicit OutputCapture(std::FILE* stream);
    ~OutputCapture();
    OutputCapture(const OutputCapture&) = delete;
    OutputCapture& operator=(const OutputCapture&) = delete;

    // Everything written so far.
    QByteArray text();

private:
    std::FILE* m_stream;
    int m_descriptor;
    int m_saved;
    int m_file;
};
