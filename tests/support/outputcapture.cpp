#include "outputcapture.h"

#include <sys/mman.h>
#include <unistd.h>

OutputCapture::OutputCapture(std::FILE* stream)
    : m_stream(stream), m_descriptor(::fileno(stream))
{
    std::fflush(m_stream);
    m_saved = ::dup(m_descriptor);
    m_file = ::memfd_create("output-capture", MFD_CLOEXEC);
    ::dup2(m_file, m_descriptor);
}

OutputCapture::~OutputCapture()
{
    std::fflush(m_stream);
    ::dup2(m_saved, m_descriptor);
    ::close(m_saved);
    ::close(m_file);
}

QByteArray OutputCapture::text()
{
    std::fflush(m_stream);
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
