#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

class QTcpSocket;
class QUdpSocket;

// What a fake device script prints, how it ends and how long it takes.
struct FakeScript
{
    QByteArray output;
    int exitCode = 0;
    int sleepSeconds = 0;
    QByteArray commands = {}; // shell lines run after the output, before the exit
    bool plain = false;       // as some devices ship scripts: no "#!" line, no run bit
};

// What tests need from the sandbox they run in: the guard, files, fake
// device scripts that record their calls, and sockets in other hosts'
// network namespaces.
class Sandbox
{
public:
    // True only inside tests/sandbox/sandbox.sh, never on the machine itself.
    static bool inside();
    // A test program's guard: false, with a message naming program, outside.
    static bool guard(const char* program);
    static QString script();

    // Runs the program and returns its exit code (-1 when it did not run).
    static int run(const QString& program, const QStringList& arguments,
                   QByteArray* output = nullptr);
    // Runs "sandbox.sh ARGS..." inside the sandbox.
    static int sandbox(const QStringList& arguments, QByteArray* output = nullptr);

    // Writes a whole file, creating its directories.
    static bool writeFile(const QString& path, const QByteArray& bytes, bool executable = false);
    static QByteArray readFile(const QString& path);

    // A fake device script that records each call's arguments and prints
    // output. Its calls are read back with recordedCalls(path).
    static bool writeRecordingScript(const QString& path, const FakeScript& fake = {});
    static QList<QStringList> recordedCalls(const QString& scriptPath);

    // Lines of the recording stand-ins for reboot, poweroff, ifconfig...
    // under the given root ("" for this host, "/run/sandbox/hosts/t1" for a
    // LAN host).
    static QStringList standinCalls(const QString& hostRoot = QString());
    // The system log lines the device scripts wrote through the logger
    // stand-in ("logger -t TAG -- TEXT"), of one tag or of all.
    static QStringList loggedLines(const QString& tag = QString());

    // A UDP socket bound to 0.0.0.0:port (shared address) created in the
    // network namespace of host name ("console", "t1"...); empty name
    // means the sandbox's own namespace.
    static QUdpSocket* udpSocket(const QString& host, quint16 port);
    // A TCP connection to 127.0.0.1:port of host name's network namespace
    // (a service that listens on loopback there); null when it fails.
    static QTcpSocket* tcpSocket(const QString& host, quint16 port);

    static QString hostRoot(const QString& host);

    // Installs the reference device layer where the terminal has it (the
    // install components device and agent: /opt/zoderer/login, termagent,
    // factory and configs, /opt/system/zoderer).
    static bool installDeviceLayer();
};

// A directory made read-only while this lives (a read-only bind mount over
// itself), as a full or read-only disk looks to a writer; undone even when a
// test fails half-way. Does nothing when made with active false.
class ReadOnlyDirectory
{
public:
    explicit ReadOnlyDirectory(const QString& dir, bool active = true);
    ~ReadOnlyDirectory();
    ReadOnlyDirectory(const ReadOnlyDirectory&) = delete;
    ReadOnlyDirectory& operator=(const ReadOnlyDirectory&) = delete;

    // False when it should be read-only and is not.
    bool ok() const { return m_ok; }

private:
    QString m_dir;
    bool m_mounted = false;
    bool m_ok = true;
};
