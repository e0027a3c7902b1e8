#include "stdoutcapture.h"

#include <cstdio>
#include <sys/mman.h>
#include <unistd.h>

StdoutCapture::StdoutCapture()
{
    std::fflush(stdout);
    m_saved = ::dup(STDOUT_FILENO);
    m_file = ::memfd_create("stdout-capture", MFD_CLOEXEC);
    ::dup2(m_file, STDOUT_FILENO);
}

StdoutCapture::~StdoutCapture()
{
    std::fflush(stdout);
    ::dup2(m_saved, STDOUT_FILENO);
    ::close(m_saved);
    ::close(m_file);
}

QByteArray StdoutCapture::text()
{
    std::fflush(stdout);
    QByteArray bytes;
    char buffer[4096];
    ssize_t n;
    off_t offset = 0;
    while ((n = ::pread(m_file, buffer, sizeof buffer, offset)) > 0) {
        bytes.append(buffer, n);
        offset += n;
    }
    return bytes;
}
