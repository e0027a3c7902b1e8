#include "acceptuploadfile.h"

#include "socketio.h"

#include <QByteArray>
#include <QDebug>
#include <QStringList>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/sysinfo.h>
#include <unistd.h>

namespace {

constexpr qint64 BlockSize = 64 * 1024;

bool writeAll(int file, const char* data, qint64 size)
{
    while (size > 0) {
        const ssize_t n = ::write(file, data, size_t(size));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= n;
    }
    return true;
}

// What an upload may still take on the file system holding file: its free
// space less the reserve; negative when that cannot be told.
qint64 room(int file)
{
    struct statvfs status = {};
    if (::fstatvfs(file, &status) != 0)
        return -1;
    qint64 free = qint64(status.f_bavail) * qint64(status.f_frsize);
    // A file system in RAM without a size of its own (ramfs, tmpfs with
    // size=0) reports nothing: its bound is the free memory.
    struct sysinfo memory = {};
    if (status.f_blocks == 0 && ::sysinfo(&memory) == 0)
        free = qint64(memory.freeram) * qint64(memory.mem_unit);
    return free - AcceptUploadFile::FreeSpaceReserve;
}

} // namespace

AcceptUploadFile::AcceptUploadFile(const PreData& packet) : PreData(packet) {}

AcceptUploadFile::~AcceptUploadFile() = default;

void AcceptUploadFile::dealTask()
{
    qDebug() << "AcceptUploadFile::dealTask: " << key.c_str();
    const int socket = extra.toInt();
    const QStringList arguments =
        QString::fromLatin1(content.data(), qsizetype(content.size())).split(QLatin1Char(';'));
    qDebug() << "AcceptUploadFile::dealTask: argument: " << arguments;
    if (arguments.size() != 3) {
        qWarning() << "AcceptUploadFile::dealTask: argument error";
    } else {
        qDebug() << "AcceptUploadFile::dealTask: file name: " << arguments[0];
        qDebug() << "AcceptUploadFile::dealTask: crc: " << arguments[1];
        qDebug() << "AcceptUploadFile::dealTask: file size: " << arguments[2];
        bool ok = false;
        const qint64 size = arguments[2].toLongLong(&ok, 10);
        receiveFile(socket, ok ? size : 0);
    }
    ::close(socket);
    delete this;
}

void AcceptUploadFile::receiveFile(int socket, qint64 size)
{
    // A fresh name of our own (O_EXCL, mode 0600): whatever someone placed in
    // /tmp is never opened or followed.
    QByteArray partial = QByteArray(UploadFilePath) + ".XXXXXX";
    const int file = ::mkostemp(partial.data(), O_CLOEXEC);
    if (file < 0) {
        std::perror("open file");
        return;
    }
    if (size < 0 || size > room(file)) {
        qWarning() << "AcceptUploadFile::dealTask: refused, the announced size" << size
                   << "does not fit the free space of /tmp less its reserve";
        ::close(file);
        ::unlink(partial.constData());
        return;
    }
    const qint64 received = receiveInto(socket, file, size);
    qDebug() << "AcceptUploadFile::dealTask: receive: " << received;
    if (::fsync(file) != 0)
        std::perror("fsync ");
    struct stat status = {};
    const bool sized = ::fstat(file, &status) == 0;
    ::close(file);

    if (!sized || status.st_size != size) {
        qDebug() << "AcceptUploadFile::dealTask: Upload Length error";
        // The package staged before, by this console or another, stays as it was.
        ::unlink(partial.constData());
        return;
    }
    // rename replaces whatever is at the fixed name, a link included, in one
    // step, and never writes through it.
    if (::rename(partial.constData(), UploadFilePath) != 0) {
        std::perror("rename upload file");
        ::unlink(partial.constData());
        return;
    }
    qDebug() << "AcceptUploadFile::dealTask: Upload success";
}

qint64 AcceptUploadFile::receiveInto(int socket, int file, qint64 size)
{
    std::vector<char> buffer(BlockSize);
    qint64 total = 0;
    do {
        const qint64 n = SocketIo::receiveSome(socket, buffer.data(), BlockSize);
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            qWarning() << "AcceptUploadFile::dealTask: the peer stalled, receive timed out";
        if (n <= 0)
            break;
        // Others fill /tmp too: stop before the reserve is touched.
        if (n > room(file)) {
            qWarning() << "AcceptUploadFile::dealTask: /tmp is too full to go on, stopped after" << total;
            break;
        }
        if (!writeAll(file, buffer.data(), n)) {
            std::perror("write file");
            break;
        }
        total += n;
    } while (total < size);
    return total;
}
