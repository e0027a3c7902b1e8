#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

// A real termagent installed into the sandbox's file tree and run there,
// with its standard output and error collected line by line.
class AgentProcess
{
public:
    static constexpr const char* DefaultDirectory = "/opt/zoderer/termagent";

    // host: "" for the sandbox itself, or a LAN host such as "t1".
    explicit AgentProcess(const QString& host = QString(),
                          const QString& directory = QString::fromLatin1(DefaultDirectory));
    ~AgentProcess();

    // The agent's directory as the test sees it (under the host's root).
    QString localDirectory() const;
    // Copies the freshly built agent into its directory.
    bool install();

    bool start(const QString& workingDirectory = QStringLiteral("/"));
    void kill();
    bool waitForExit(int timeoutMs);
    QProcess& process() { return m_process; }

    // Waits until a line containing text has been written.
    bool waitForStdout(const QString& text, int timeoutMs = 5000);
    bool waitForStderr(const QString& text, int timeoutMs = 5000);
    QStringList stdoutLines();
    QStringList stderrLines();
    // Lines containing text; on stderr, with the lines of a burst that were
    // only counted.
    int countStdout(const QString& text);
    int countStderr(const QString& text);

private:
    void collect();
    bool waitFor(const QStringList& lines, const QString& text, int timeoutMs);

    QString m_host;
    QString m_directory;
    QProcess m_process;
    QByteArray m_stdout;
    QByteArray m_stderr;
    QStringList m_stdoutLines;
    QStringList m_stderrLines;
};
