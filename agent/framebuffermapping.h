#pragma once

#include <QtGlobal>

#include <sys/types.h>

// A read-only shared mapping of framebuffer memory, kept from one capture
// to the next: on this class of machine setting up the page tables of an
// 8 MB mapping costs about as much as copying the frame out of it. It is
// made again when the device, its memory or the size needed changes.
class FramebufferMapping
{
public:
    FramebufferMapping() = default;
    ~FramebufferMapping();
    FramebufferMapping(const FramebufferMapping&) = delete;
    FramebufferMapping& operator=(const FramebufferMapping&) = delete;

    // The memory of the open device fd from offset 0, size bytes at least;
    // memoryStart is the device's memory address (fix screen information),
    // which changes when the driver allocates new memory. Null on failure,
    // with errno set.
    const uchar* map(int fd, size_t size, unsigned long memoryStart);

private:
    void release();

    void* m_address = nullptr;
    size_t m_size = 0;
    dev_t m_device = 0;
    ino_t m_inode = 0;
    dev_t m_deviceNumber = 0;
    unsigned long m_memoryStart = 0;
};
