#pragma once

#include <QByteArray>
#include <QString>

class QIODevice;

#include <string>

// termctl's commands over the agent's TCP port: screenshot, upload, update
// and file fetch. Each returns termctl's exit status: 0 done, 1 network or
// protocol error, 2 a local file that cannot be read or written (nothing
// sent).
class TcpCommands
{
public:
    // Without progress for this long, a transfer is given up.
    static constexpr int IdleTimeoutMs = 30000;
    // The update script may take a while before the reply comes.
    static constexpr int UpdateTimeoutMs = 15 * 60 * 1000;
    // A larger announcement is refused before a byte is written: a JPEG of
    // the largest panel stays far below. A file must fit the free space.
    static constexpr qint64 MaxScreenshotBytes = 64 * 1024 * 1024;

    static int screenshot(quint32 destination, const QString& output, QString& error);
    // The JPEG into output, at most limit bytes; verbose: tells on standard
    // error when it has to ask a second time.
    static int screenshot(quint32 destination, QIODevice& output, qint64 limit, bool verbose,
                          QString& error);
    // showProgress false: for uploads run side by side, which would draw
    // over one another.
    static int upload(quint32 destination, const QString& package, QString& error,
                      bool showProgress = true);
    // reply: the agent's reply text, when one came.
    static int update(quint32 destination, QString& reply, QString& error);
    // remotePath: the bytes of the name on the terminal.
    static int get(quint32 destination, const std::string& remotePath, const QString& output,
                   QString& error);

    // {"fileName":PATH}
    static std::string fileRequestContent(const std::string& remotePath);
    // "name;crc;size" with a name the agent can split (in the bytes of the
    // local file name) and that keeps the request within the 255 bytes the
    // agent parses.
    static std::string uploadContent(const QString& fileName, quint32 crc, qint64 size);
    // The update reply is a zero-terminated text; true for the success text.
    static bool updateSucceeded(const QByteArray& answer, QString& text);
    static quint32 crc32(const QByteArray& data, quint32 crc = 0);
};
