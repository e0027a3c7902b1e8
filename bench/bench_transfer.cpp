#include "sharekeys.h"
#include "socketio.h"
#include "tcpcommands.h"
#include "tcpconnection.h"

#include <QByteArray>
#include <QDir>
#include <QStringList>
#include <QtGlobal>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sched.h>
#include <sys/sendfile.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/vfs.h>
#include <unistd.h>

// File fetch and upload of a 200 MiB file through the real agent (started by
// bench/transfer.sh on this host's loopback) against the least any server has
// to do for the same exchange: sendfile(2) of the file (fetch), and a loop of
// 64 KiB recv + write followed by fsync (upload). The same client talks to
// both, and runs alternate between them.

namespace {

constexpr qint64 FileSize = qint64(200) << 20;
constexpr qint64 BlockSize = 64 * 1024;
constexpr quint16 AgentPort = TcpConnection::Port;
constexpr quint16 ReferenceFetchPort = 9700;
constexpr quint16 ReferenceUploadPort = 9701;
const char* const SourcePath = "/tmp/transfer/source";
const char* const ReferenceUploadPath = "/tmp/transfer/reference-upload";
const char* const DiskPath = "/tmp/transfer/disk";
const char* const AgentUploadPath = "/tmp/uploadfile.tar.gz";

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double mibPerSecond(double seconds)
{
    return double(FileSize) / double(1 << 20) / seconds;
}

// Bytes that do not compress and differ from block to block.
QByteArray sourceBytes()
{
    QByteArray bytes(FileSize, Qt::Uninitialized);
    quint64 state = 0x9e3779b97f4a7c15ull;
    for (qint64 i = 0; i < FileSize; i += 8) {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        std::memcpy(bytes.data() + i, &state, 8);
    }
    return bytes;
}

bool writeAll(int fd, const char* data, qint64 size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size_t(std::min(size, BlockSize)));
        if (n <= 0)
            return false;
        data += n;
        size -= n;
    }
    return true;
}

// 64 KiB writes and one fsync: the storage's own limit, without a network.
double writeAndSync(const char* path, const QByteArray& bytes)
{
    const Clock::time_point start = Clock::now();
    const int fd = ::open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    const bool ok = fd >= 0 && writeAll(fd, bytes.constData(), bytes.size()) && ::fsync(fd) == 0;
    if (fd >= 0)
        ::close(fd);
    return ok ? secondsSince(start) : -1;
}

int connectTo(quint16 port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (fd >= 0 && ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0)
        return fd;
    if (fd >= 0)
        ::close(fd);
    return -1;
}

bool receiveExactly(int fd, char* buffer, qint64 size)
{
    for (qint64 got = 0; got < size;) {
        const qint64 n = SocketIo::receiveSome(fd, buffer + got, size - got);
        if (n <= 0)
            return false;
        got += n;
    }
    return true;
}

// The client. Fetch: request, then read to the end; kept (if given) receives
// the file's bytes. The time, or -1 when the answer was not the whole file.
double fetch(quint16 port, QByteArray* kept = nullptr)
{
    static std::vector<char> buffer(256 * 1024);
    const QByteArray request = TcpConnection::requestBlock(
        ShareKeys::FileRequest, TcpCommands::fileRequestContent(SourcePath));
    const Clock::time_point start = Clock::now();
    const int fd = connectTo(port);
    if (fd < 0)
        return -1;
    qint64 total = 0;
    qint64 n = SocketIo::sendAll(fd, request.constData(), request.size()) ? 1 : -1;
    while (n > 0 && (n = SocketIo::receiveSome(fd, buffer.data(), qint64(buffer.size()))) > 0) {
        if (kept)
            kept->append(buffer.data(), n);
        total += n;
    }
    ::close(fd);
    const double seconds = secondsSince(start);
    if (kept)
        kept->remove(0, 4);
    return n == 0 && total == 4 + FileSize ? seconds : -1;
}

// Upload: request, the bytes, end of stream, then wait until the server has
// stored the file and closed.
double upload(quint16 port, const QByteArray& bytes)
{
    const QByteArray request = TcpConnection::requestBlock(
        ShareKeys::UploadRequest,
        TcpCommands::uploadContent(QStringLiteral("bench.tar.gz"), 0, bytes.size()));
    const Clock::time_point start = Clock::now();
    const int fd = connectTo(port);
    if (fd < 0)
        return -1;
    const bool sent = SocketIo::sendAll(fd, request.constData(), request.size())
                      && SocketIo::sendAll(fd, bytes.constData(), bytes.size())
                      && ::shutdown(fd, SHUT_WR) == 0;
    char byte;
    const qint64 n = sent ? SocketIo::receiveSome(fd, &byte, 1) : -1;
    ::close(fd);
    return n == 0 ? secondsSince(start) : -1;
}

// The reference servers: each takes the 256-byte request block the client
// sends, then does only the transfer itself. They run in a process of their
// own, as the agent does, so that both sides pay the same switches.
class ReferenceServer
{
public:
    explicit ReferenceServer(quint16 port) : m_port(port)
    {
        m_listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const int on = 1;
        ::setsockopt(m_listener, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        sockaddr_in address = {};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        m_ready = ::bind(m_listener, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0
                  && ::listen(m_listener, 4) == 0;
    }
    ~ReferenceServer() { ::close(m_listener); }
    ReferenceServer(const ReferenceServer&) = delete;
    ReferenceServer& operator=(const ReferenceServer&) = delete;

    bool ready() const { return m_ready; }

    // Serves one connection after the other until the process ends.
    void serve()
    {
        int connection;
        while ((connection = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC)) >= 0) {
            char request[TcpConnection::RequestBlockSize];
            if (receiveExactly(connection, request, sizeof request)) {
                if (m_port == ReferenceFetchPort)
                    sendWhole(connection);
                else
                    receiveWhole(connection);
            }
            ::close(connection);
        }
    }

private:
    static void sendWhole(int connection)
    {
        const int file = ::open(SourcePath, O_RDONLY | O_CLOEXEC);
        struct stat status = {};
        if (file < 0 || ::fstat(file, &status) != 0
            || !SocketIo::sendLength(connection, qint32(status.st_size))) {
            if (file >= 0)
                ::close(file);
            return;
        }
        for (off_t left = status.st_size; left > 0;) {
            const ssize_t n = ::sendfile(connection, file, nullptr, size_t(left));
            if (n <= 0)
                break;
            left -= n;
        }
        ::close(file);
    }

    static void receiveWhole(int connection)
    {
        const int file = ::open(ReferenceUploadPath, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        if (file < 0)
            return;
        std::vector<char> buffer(BlockSize);
        qint64 total = 0;
        qint64 n;
        while (total < FileSize && (n = SocketIo::receiveSome(connection, buffer.data(), BlockSize)) > 0) {
            if (!writeAll(file, buffer.data(), n))
                break;
            total += n;
        }
        ::fsync(file);
        ::close(file);
    }

    quint16 m_port;
    int m_listener = -1;
    bool m_ready = false;
};

// The client on one core, the server (the agent and all its threads, or the
// reference process) on another, the same two for both: where the scheduler
// would put them otherwise changes a loopback transfer by more than the
// difference measured. Returns the server's core, or -1 with fewer than two.
int pinClient()
{
    cpu_set_t allowed;
    CPU_ZERO(&allowed);
    if (::sched_getaffinity(0, sizeof allowed, &allowed) != 0 || CPU_COUNT(&allowed) < 2)
        return -1;
    std::vector<int> cores;
    for (int core = 0; core < CPU_SETSIZE && cores.size() < 2; ++core) {
        if (CPU_ISSET(core, &allowed))
            cores.push_back(core);
    }
    cpu_set_t client;
    CPU_ZERO(&client);
    CPU_SET(cores[0], &client);
    return ::sched_setaffinity(0, sizeof client, &client) == 0 ? cores[1] : -1;
}

bool pinToCore(pid_t thread, int core)
{
    cpu_set_t set;
    CPU_ZERO(&set);
    CPU_SET(core, &set);
    return ::sched_setaffinity(thread, sizeof set, &set) == 0;
}

// Every thread of the process; threads it starts later inherit the core.
bool pinProcess(pid_t process, int core)
{
    const QDir tasks(QStringLiteral("/proc/%1/task").arg(process));
    const QStringList threads = tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    return !threads.isEmpty() && std::all_of(threads.begin(), threads.end(), [core](const QString& id) {
        return pinToCore(id.toInt(), core);
    });
}

// Starts both reference servers in a child process; its id, or -1.
pid_t startReferenceServers(int core)
{
    int ready[2];
    if (::pipe2(ready, O_CLOEXEC) != 0)
        return -1;
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(ready[0]);
        if (core >= 0)
            pinToCore(0, core);
        ReferenceServer fetchServer(ReferenceFetchPort);
        ReferenceServer uploadServer(ReferenceUploadPort);
        const char status = fetchServer.ready() && uploadServer.ready() ? 1 : 0;
        if (::write(ready[1], &status, 1) != 1 || status == 0)
            ::_exit(1);
        std::thread fetching([&fetchServer] { fetchServer.serve(); });
        uploadServer.serve();
        ::_exit(0);
    }
    ::close(ready[1]);
    char status = 0;
    const bool started = child > 0 && ::read(ready[0], &status, 1) == 1 && status == 1;
    ::close(ready[0]);
    if (!started && child > 0) {
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
    }
    return started ? child : -1;
}

QByteArray readFile(const char* path)
{
    QByteArray bytes;
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return bytes;
    std::vector<char> buffer(1 << 20);
    ssize_t n;
    while ((n = ::read(fd, buffer.data(), buffer.size())) > 0)
        bytes.append(buffer.data(), n);
    ::close(fd);
    return bytes;
}

const char* fileSystemOf(const char* path)
{
    struct statfs status = {};
    if (::statfs(path, &status) != 0)
        return "unknown";
    // TMPFS_MAGIC; anything else is a disk here.
    return status.f_type == 0x01021994 ? "tmpfs" : "a disk file system";
}

struct Figures
{
    std::vector<double> agent;
    std::vector<double> reference;
};

double best(const std::vector<double>& times)
{
    return *std::min_element(times.begin(), times.end());
}

// Medians, and the best runs too: load from elsewhere only ever slows a run.
void printRow(const char* what, const char* reference, const Figures& figures)
{
    const double agent = mibPerSecond(median(figures.agent));
    const double bare = mibPerSecond(median(figures.reference));
    const double agentBest = mibPerSecond(best(figures.agent));
    const double bareBest = mibPerSecond(best(figures.reference));
    std::printf("  %-7s %-27s %6.0f MiB/s   agent %6.0f MiB/s   ratio %.2f   (best runs %.0f / %.0f, "
                "ratio %.2f)\n",
                what, reference, bare, agent, agent / bare, bareBest, agentBest, agentBest / bareBest);
}

} // namespace

int main(int argc, char* argv[])
{
    if (qgetenv("TERMINAL_SANDBOX") != "1") {
        std::fprintf(stderr, "%s: run it through bench/transfer.sh (sandbox, running agent)\n",
                     argv[0]);
        return 2;
    }
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s RUNS AGENT_PID\n", argv[0]);
        return 2;
    }
    const int runs = std::max(3, std::atoi(argv[1]));
    const int serverCore = pinClient();
    if (serverCore >= 0 && !pinProcess(std::atoi(argv[2]), serverCore)) {
        std::fprintf(stderr, "cannot move the agent %s to core %d\n", argv[2], serverCore);
        return 1;
    }

    // Forked before the 200 MiB exist, which the servers do not need.
    const pid_t references = startReferenceServers(serverCore);
    const auto stopReferences = [references] {
        ::kill(references, SIGKILL);
        ::waitpid(references, nullptr, 0);
    };
    if (references < 0) {
        std::fprintf(stderr, "cannot start the reference servers\n");
        return 1;
    }
    ::mkdir("/tmp/transfer", 0700);
    const QByteArray bytes = sourceBytes();
    const int source = ::open(SourcePath, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    const bool written = source >= 0 && writeAll(source, bytes.constData(), bytes.size());
    if (source >= 0)
        ::close(source);
    if (!written) {
        stopReferences();
        std::fprintf(stderr, "cannot write %s\n", SourcePath);
        return 1;
    }

    // One checked round first, which also warms the caches of both sides.
    QByteArray fetched;
    const bool agentFetchOk = fetch(AgentPort, &fetched) > 0 && fetched == bytes;
    fetched.clear();
    const bool referenceFetchOk = fetch(ReferenceFetchPort, &fetched) > 0 && fetched == bytes;
    fetched = QByteArray();
    const bool agentUploadOk = upload(AgentPort, bytes) > 0 && readFile(AgentUploadPath) == bytes;
    const bool referenceUploadOk =
        upload(ReferenceUploadPort, bytes) > 0 && readFile(ReferenceUploadPath) == bytes;
    if (!agentFetchOk || !referenceFetchOk || !agentUploadOk || !referenceUploadOk) {
        stopReferences();
        std::fprintf(stderr, "a transfer was not exact: fetch agent %d reference %d, upload agent %d "
                             "reference %d\n",
                     agentFetchOk, referenceFetchOk, agentUploadOk, referenceUploadOk);
        return 1;
    }

    Figures fetches;
    Figures uploads;
    std::vector<double> disk;
    for (int run = 0; run < runs; ++run) {
        fetches.reference.push_back(fetch(ReferenceFetchPort));
        fetches.agent.push_back(fetch(AgentPort));
        // Each write starts without the file it will write, so that none
        // frees the previous 200 MiB while timed.
        ::unlink(ReferenceUploadPath);
        uploads.reference.push_back(upload(ReferenceUploadPort, bytes));
        ::unlink(AgentUploadPath);
        uploads.agent.push_back(upload(AgentPort, bytes));
        ::unlink(DiskPath);
        disk.push_back(writeAndSync(DiskPath, bytes));
    }
    stopReferences();
    for (const std::vector<double>* times : {&fetches.agent, &fetches.reference, &uploads.agent,
                                              &uploads.reference, &disk}) {
        if (std::any_of(times->begin(), times->end(), [](double t) { return t <= 0; })) {
            std::fprintf(stderr, "a timed transfer failed\n");
            return 1;
        }
    }
    ::unlink(SourcePath);
    ::unlink(ReferenceUploadPath);
    ::unlink(DiskPath);

    std::printf("transfer of a %lld MiB file over loopback, median of %d runs, %s\n",
                static_cast<long long>(FileSize >> 20), runs,
                serverCore >= 0 ? "client and server on two cores of their own" : "one core");
    printRow("fetch", "sendfile(2)", fetches);
    printRow("upload", "64 KiB recv + write, fsync", uploads);
    std::printf("  storage alone: 64 KiB writes + fsync, no network %6.0f MiB/s   (best run %.0f; /tmp is "
                "%s)\n",
                mibPerSecond(median(disk)), mibPerSecond(best(disk)), fileSystemOf("/tmp"));
    return 0;
}
