#include "sendfile.h"

#include "jsontext.h"
#include "socketio.h"

#include <QDebug>

#include <algorithm>
#include <cstdio>
#include <limits>

#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr qint64 BlockSize = 1024;

} // namespace

SendFile::SendFile(const PreData& packet) : PreData(packet) {}

SendFile::~SendFile() = default;

std::string SendFile::fileName(const std::string& content)
{
    Json::Value root;
    if (!JsonText::parse(content, root) || !root.isObject())
        return std::string();
    const Json::Value& member = root["fileName"];
    return member.isString() ? member.asString() : std::string();
}

void SendFile::dealTask()
{
    qDebug() << "SendFile::dealTask: " << key.c_str();
    const std::string path = fileName(content);
    const int socket = extra.toInt();
    sendFile(socket, path);
    ::close(socket);
    delete this;
}

void SendFile::sendFile(int socket, const std::string& path)
{
    // Only regular files have a length to announce: a directory or a device
    // would announce one thing and send another.
    struct stat status = {};
    if (path.empty() || ::stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) {
        qWarning() << "SendFile::dealTask: file not exist";
        return;
    }
    // The length on the wire is a signed 32-bit number; a larger size would
    // announce a wrong length.
    if (status.st_size > std::numeric_limits<qint32>::max()) {
        qWarning() << "SendFile::dealTask: file too large to send:" << qint64(status.st_size);
        return;
    }
    const qint64 size = status.st_size;
    std::FILE* file = std::fopen(path.c_str(), "re");
    if (file == nullptr) {
        std::perror("open file");
        return;
    }
    qDebug() << "SendFile::dealTask: file size: " << size;

    // Exactly the announced bytes: a file that grows meanwhile must not run
    // past the length the console was told.
    char buffer[BlockSize];
    qint64 left = size;
    bool sent = SocketIo::sendLength(socket, qint32(size));
    while (sent && left > 0) {
        const size_t n = std::fread(buffer, 1, size_t(std::min(left, BlockSize)), file);
        if (n == 0) {
            // Shrunk or unreadable: the console sees fewer bytes than announced.
            qWarning() << "SendFile::dealTask: file ended early, bytes left:" << left;
            break;
        }
        sent = SocketIo::sendAll(socket, buffer, qint64(n));
        left -= qint64(n);
    }
    if (!sent)
        std::perror("send data");
    std::fclose(file);
}
