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

    void dealTask() override;

    // The "fileName" member of the request's JSON text; empty when the text
    // does not parse or the member is missing or not a string.
    static std::string fileName(const std::string& content);

private:
    static void sendFile(int socket, const std::string& path);
    // Send the next left bytes of the file, counting left down; false when
    // the connection failed. A file that ends early leaves left above 0.
    // copyContents goes through a buffer, for files sendfile() cannot read.
    static bool sendContents(int socket, int file, qint64& left);
    static bool copyContents(int socket, int file, qint64& left);
};
