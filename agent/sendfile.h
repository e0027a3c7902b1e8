#pragma once

#include "shareprotocol.h"

#include <string>

// Sends one file of the terminal, named by the request, as a 4-byte length
// followed by its bytes.
class SendFile : public PreData
{
public:
    explicit SendFile(const PreData& packet);
    ~SendFile() override;

    // A file whose size is known only once it is read (/proc, /sys) is read
    // whole into memory before it is sent, at most this much: far above the
    // kernel's text files and pages, small enough that a task per core
    // holding it does not strain the terminal's memory.
    static constexpr qint64 MaxUnsizedFile = 4 * 1024 * 1024;

    void dealTask() override;

    // The "fileName" member of the request's JSON text; empty when the text
    // does not parse or the member is missing or not a string.
    static std::string fileName(const std::string& content);

private:
    static void sendFile(int socket, const std::string& path);
    // The stated size, then the file's bytes straight from the kernel.
    static void sendSized(int socket, int file, qint64 size);
    // The file read to its end, then its true length and its bytes.
    static void sendWhole(int socket, int file);
    // Send the next left bytes of the file, counting left down; false when
    // the connection failed. A file that ends early leaves left above 0.
    // copyContents goes through a buffer, for files sendfile() cannot read.
    static bool sendContents(int socket, int file, qint64& left);
    static bool copyContents(int socket, int file, qint64& left);
};
