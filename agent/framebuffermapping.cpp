#include "framebuffermapping.h"

#include <sys/mman.h>
#include <sys/stat.h>

FramebufferMapping::~FramebufferMapping()
{
    release();
}

const uchar* FramebufferMapping::map(int fd, size_t size, unsigned long memoryStart)
{
    struct stat status;
    if (::fstat(fd, &status) != 0)
        return nullptr;
    const bool same = m_address != nullptr && m_size >= size && status.st_dev == m_device
                      && status.st_ino == m_inode && status.st_rdev == m_deviceNumber
                      && memoryStart == m_memoryStart;
    if (same)
        return static_cast<const uchar*>(m_address);
    release();
    void* const address = ::mmap(nullptr, size, PROT_READ, MAP_SHARED, fd, 0);
    if (address == MAP_FAILED)
        return nullptr;
    m_address = address;
    m_size = size;
    m_device = status.st_dev;
    m_inode = status.st_ino;
    m_deviceNumber = status.st_rdev;
    m_memoryStart = memoryStart;
    return static_cast<const uchar*>(address);
}

void FramebufferMapping::release()
{
    if (m_address != nullptr)
        ::munmap(m_address, m_size);
    m_address = nullptr;
    m_size = 0;
}
