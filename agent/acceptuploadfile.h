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
    // Free space an upload leaves in /tmp, which is the terminal's RAM: room
    // for the small files the launcher, the session and the agent keep
    // there, and small beside a package so that no package that fits is refused.
    static constexpr qint64 FreeSpaceReserve = 8 * 1024 * 1024;

    explicit AcceptUploadFile(const PreData& packet);
    ~AcceptUploadFile() override;

    void dealTask() override;

private:
    static void receiveFile(int socket, qint64 size);
    // Streams the connection into the file until size bytes arrived, the
    // peer closes or stalls; returns the bytes received.
    static qint64 receiveInto(int socket, int file, qint64 size);
};
