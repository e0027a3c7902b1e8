#pragma once

#include "shareprotocol.h"

#include <QtGlobal>

// Receives an update package on its connection. The package is streamed
// into a private file beside the fixed upload file and renamed over it only
// once its length is right, so the update never sees a partial package and
// an upload that fails leaves the package staged before untouched.
class AcceptUploadFile : public PreData
{
public:
    static constexpr const char* UploadFilePath = "/tmp/uploadfile.tar.gz";

    explicit AcceptUploadFile(const PreData& packet);
    ~AcceptUploadFile() override;

    void dealTask() override;

private:
    static void receiveFile(int socket, qint64 size);
    // Streams the connection into the file until size bytes arrived, the
    // peer closes or stalls; returns the bytes received.
    static qint64 receiveInto(int socket, int file, qint64 size);
};
