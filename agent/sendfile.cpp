#include "sendfile.h"

#include "agentpolicy.h"
#include "jsontext.h"
#include "socketio.h"

#include <QDebug>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <limits>
#include <string>
#include <vector>

#include <fcntl.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

namespace {

constexpr qint64 CopyBlockSize = 64 * 1024;

// The kernel's own files know their length only once read: /proc reports 0,
// sysfs a whole page.
bool sizeIsMadeUp(int file, const struct stat& status)
{
    if (status.st_size == 0)
        return true;
    struct statfs fileSystem = {};
    return ::fstatfs(file, &fileSystem) == 0 && fileSystem.f_type == SYSFS_MAGIC;
}

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
    // The name is looked up once, as a reference that reads nothing and opens
    // no device, and what it found is judged: a check by name followed by an
    // open by name lets a swap in between hand a FIFO to the worker.
    const int found = path.empty() ? -1 : ::open(path.c_str(), O_PATH | O_CLOEXEC);
    struct stat status = {};
    // Only regular files have a length to announce: a directory or a device
    // would announce one thing and send another.
    if (found < 0 || ::fstat(found, &status) != 0 || !S_ISREG(status.st_mode)) {
        qWarning() << "SendFile::dealTask: file not exist";
    } else if (!AgentPolicy::current().servesOpenFile(found)) {
        // Answered as a missing file is, so the answer tells nothing of it.
        qWarning() << "SendFile::dealTask: not served by the agent's policy:" << path.c_str();
    } else if (status.st_size > std::numeric_limits<qint32>::max()) {
        // The length on the wire is a signed 32-bit number; a larger size
        // would announce a wrong length.
        qWarning() << "SendFile::dealTask: file too large to send:" << qint64(status.st_size);
    } else {
        // The same file, now for reading.
        std::string reference = "/proc/self/fd/";
        reference += std::to_string(found);
        const int file = ::open(reference.c_str(), O_RDONLY | O_CLOEXEC);
        if (file < 0) {
            std::perror("open file");
        } else {
            if (sizeIsMadeUp(file, status))
                sendWhole(socket, file);
            else
                sendSized(socket, file, status.st_size);
            ::close(file);
        }
    }
    if (found >= 0)
        ::close(found);
}

void SendFile::sendSized(int socket, int file, qint64 size)
{
    qDebug() << "SendFile::dealTask: file size: " << size;
    // Exactly the announced bytes: a file that grows meanwhile must not run
    // past the length the console was told.
    qint64 left = size;
    const bool sent = SocketIo::sendLength(socket, qint32(size)) && sendContents(socket, file, left);
    if (!sent) {
        std::perror("send data");
    } else if (left > 0) {
        // Shrunk or unreadable: the console sees fewer bytes than announced.
        qWarning() << "SendFile::dealTask: file ended early, bytes left:" << left;
    }
}

void SendFile::sendWhole(int socket, int file)
{
    // Read before anything is sent, so that the length is the true one and a
    // file that cannot be read whole is refused like an unreadable one.
    QByteArray bytes;
    std::vector<char> buffer(CopyBlockSize);
    for (;;) {
        const ssize_t n = ::read(file, buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            std::perror("read file");
            return;
        }
        if (n == 0)
            break;
        if (bytes.size() + n > MaxUnsizedFile) {
            qWarning() << "SendFile::dealTask: file without a known size is longer than"
                       << MaxUnsizedFile << "bytes, not sent";
            return;
        }
        bytes.append(buffer.data(), n);
    }
    qDebug() << "SendFile::dealTask: file size: " << bytes.size();
    if (!SocketIo::sendLength(socket, qint32(bytes.size()))
        || !SocketIo::sendAll(socket, bytes.constData(), bytes.size()))
        std::perror("send data");
}

bool SendFile::sendContents(int socket, int file, qint64& left)
{
    // The kernel copies from the page cache straight to the socket; files it
    // cannot do that for go through a buffer.
    while (left > 0) {
        const qint64 n = SocketIo::sendFromFile(socket, file, left);
        if (n == 0)
            return true;
        if (n < 0)
            return (errno == EINVAL || errno == ENOSYS) && copyContents(socket, file, left);
        left -= n;
    }
    return true;
}

bool SendFile::copyContents(int socket, int file, qint64& left)
{
    std::vector<char> buffer(size_t(std::min(left, CopyBlockSize)));
    while (left > 0) {
        const ssize_t n = ::read(file, buffer.data(), size_t(std::min(left, CopyBlockSize)));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return true;
        if (!SocketIo::sendAll(socket, buffer.data(), n))
            return false;
        left -= n;
    }
    return true;
}
