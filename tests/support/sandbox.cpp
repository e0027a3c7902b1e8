#include "sandbox.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTcpSocket>
#include <QUdpSocket>

#include <cstdio>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sched.h>
#include <sys/socket.h>
#include <unistd.h>

#include <thread>

bool Sandbox::inside()
{
    if (qgetenv("TERMINAL_SANDBOX") != "1" || !QFile::exists(QStringLiteral("/run/sandbox/inside")))
        return false;
    // The machine's initial user namespace maps every id onto itself.
    const QByteArray map = readFile(QStringLiteral("/proc/self/uid_map")).simplified();
    return !map.isEmpty() && map != "0 0 4294967295";
}

bool Sandbox::guard(const char* program)
{
    if (inside())
        return true;
    std::fprintf(stderr, "%s: refusing to run outside the test sandbox; run it with "
                         "ctest or tests/sandbox/sandbox.sh -- %s\n",
                 program, program);
    return false;
}

QString Sandbox::script()
{
    return QStringLiteral(SANDBOX_SCRIPT);
}

int Sandbox::run(const QString& program, const QStringList& arguments, QByteArray* output)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        return -1;
    if (output)
        *output = process.readAll();
    return process.exitCode();
}

int Sandbox::sandbox(const QStringList& arguments, QByteArray* output)
{
    return run(script(), arguments, output);
}

bool Sandbox::writeFile(const QString& path, const QByteArray& bytes, bool executable)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        return false;
    file.close();
    if (executable)
        file.setPermissions(file.permissions() | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther);
    return true;
}

bool Sandbox::installDeviceLayer()
{
    // Through the build's install rules, as a package installs it.
    for (const QString& component : {QStringLiteral("device"), QStringLiteral("agent")}) {
        const QStringList arguments = {QStringLiteral("--install"), QStringLiteral(TERMINAL_BINARY_DIR),
                                       QStringLiteral("--prefix"), QStringLiteral("/"),
                                       QStringLiteral("--component"), component};
        if (run(QStringLiteral("cmake"), arguments) != 0)
            return false;
    }
    return true;
}

QByteArray Sandbox::readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool Sandbox::writeRecordingScript(const QString& path, const FakeScript& fake)
{
    // Each call appends its argument count and its arguments, each ended by
    // a NUL byte, so that blanks, quotes and line ends survive the record.
    QByteArray body = fake.plain ? QByteArray() : QByteArray("#!/bin/sh\n");
    body += "printf '%s\\0' \"$#\" \"$@\" >> '" + path.toUtf8() + ".calls'\n";
    if (fake.sleepSeconds > 0)
        body += "sleep " + QByteArray::number(fake.sleepSeconds) + "\n";
    if (!fake.output.isEmpty()) {
        if (!writeFile(path + ".out", fake.output))
            return false;
        body += "cat '" + path.toUtf8() + ".out'\n";
    }
    body += fake.commands;
    body += "\nexit " + QByteArray::number(fake.exitCode) + "\n";
    QFile::remove(path + ".calls");
    QFile::remove(path);
    return writeFile(path, body, !fake.plain);
}

QList<QStringList> Sandbox::recordedCalls(const QString& scriptPath)
{
    const QList<QByteArray> fields = readFile(scriptPath + ".calls").split('\0');
    QList<QStringList> calls;
    qsizetype i = 0;
    while (i + 1 < fields.size()) {
        const int count = fields.at(i++).toInt();
        QStringList arguments;
        for (int n = 0; n < count && i < fields.size(); ++n)
            arguments << QString::fromUtf8(fields.at(i++));
        calls << arguments;
    }
    return calls;
}

QStringList Sandbox::standinCalls(const QString& hostRoot)
{
    const QString text = QString::fromUtf8(readFile(hostRoot + "/tmp/sandbox-calls.log"));
    return text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

QStringList Sandbox::loggedLines(const QString& tag)
{
    const QString prefix
        = tag.isEmpty() ? QStringLiteral("logger ") : QStringLiteral("logger -t ") + tag + QLatin1Char(' ');
    QStringList lines;
    for (const QString& call : standinCalls()) {
        if (call.startsWith(prefix))
            lines.append(call);
    }
    return lines;
}

QString Sandbox::hostRoot(const QString& host)
{
    return QStringLiteral("/run/sandbox/hosts/") + host;
}

namespace {

// A socket of the given type made in the network namespace of host (the
// sandbox's own when empty) and then bound or connected to the IPv4 address
// and port; -1 when that failed. A namespace switch affects only the calling
// thread, so the socket is made on a thread of its own; a socket keeps the
// namespace it was made in.
int socketIn(const QString& host, int type, quint32 ip, quint16 port, bool connectTo)
{
    int descriptor = -1;
    std::thread maker([&] {
        if (!host.isEmpty()) {
            const int ns = ::open(QString("/run/netns/" + host).toLocal8Bit().constData(), O_RDONLY);
            if (ns < 0 || ::setns(ns, CLONE_NEWNET) != 0)
                return;
            ::close(ns);
        }
        const int fd = ::socket(AF_INET, type | SOCK_CLOEXEC, 0);
        if (type == SOCK_DGRAM) {
            const int on = 1;
            ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
            ::setsockopt(fd, SOL_SOCKET, SO_BROADCAST, &on, sizeof on);
        }
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr.s_addr = htonl(ip);
        const auto* name = reinterpret_cast<sockaddr*>(&address);
        const int result =
            connectTo ? ::connect(fd, name, sizeof address) : ::bind(fd, name, sizeof address);
        if (result != 0) {
            ::close(fd);
            return;
        }
        descriptor = fd;
    });
    maker.join();
    return descriptor;
}

} // namespace

QUdpSocket* Sandbox::udpSocket(const QString& host, quint16 port)
{
    const int descriptor = socketIn(host, SOCK_DGRAM, INADDR_ANY, port, false);
    if (descriptor < 0)
        return nullptr;
    auto* socket = new QUdpSocket;
    socket->setSocketDescriptor(descriptor, QAbstractSocket::BoundState);
    return socket;
}

QTcpSocket* Sandbox::tcpSocket(const QString& host, quint16 port)
{
    const int descriptor = socketIn(host, SOCK_STREAM, INADDR_LOOPBACK, port, true);
    if (descriptor < 0)
        return nullptr;
    auto* socket = new QTcpSocket;
    socket->setSocketDescriptor(descriptor);
    return socket;
}

ReadOnlyDirectory::ReadOnlyDirectory(const QString& dir, bool active)
    : m_dir(dir)
{
    if (!active)
        return;
    m_mounted = Sandbox::run(QStringLiteral("mount"), {QStringLiteral("--bind"), dir, dir}) == 0;
    m_ok = m_mounted
           && Sandbox::run(QStringLiteral("mount"), {QStringLiteral("-o"), QStringLiteral("remount,bind,ro"), dir})
                  == 0;
}

ReadOnlyDirectory::~ReadOnlyDirectory()
{
    if (m_mounted)
        Sandbox::run(QStringLiteral("umount"), {m_dir});
}
