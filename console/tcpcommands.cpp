#include "tcpcommands.h"

#include "jsontext.h"
#include "progress.h"
#include "sharekeys.h"
#include "tcpconnection.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStorageInfo>

#include <cstdio>
#include <limits>
#include <optional>

namespace {

constexpr qint64 BlockSize = 64 * 1024;

qint32 littleEndian32(const char* bytes)
{
    quint32 value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | quint8(bytes[i]);
    return qint32(value);
}

enum class Fetched { File, Nothing, Failed };

// Sends one request and streams its answer, a 4-byte length and exactly that
// many bytes, into file. Only the announced bytes are read: a peer cannot
// make termctl keep more, nor more than limit.
Fetched fetch(quint32 destination, const std::string& key, const std::string& content,
              const QString& label, qint64 limit, QIODevice& file, QString& error)
{
    TcpConnection connection;
    if (!connection.open(destination, TcpCommands::IdleTimeoutMs, error)
        || !connection.sendRequest(key, content, error))
        return Fetched::Failed;
    char buffer[BlockSize];
    const qint64 header = connection.readFully(buffer, 4, error);
    if (header < 0)
        return Fetched::Failed;
    if (header == 0)
        return Fetched::Nothing;
    if (header < 4) {
        error = QStringLiteral("the answer ended after %1 bytes, before its length").arg(header);
        return Fetched::Failed;
    }
    const qint64 length = littleEndian32(buffer);
    if (length < 0 || length > limit) {
        error = QStringLiteral("the terminal announced %1 bytes, more than the %2 termctl takes")
                    .arg(length)
                    .arg(limit);
        return Fetched::Failed;
    }
    Progress progress(label);
    for (qint64 done = 0; done < length;) {
        const qint64 wanted = qMin(BlockSize, length - done);
        const qint64 received = connection.readFully(buffer, wanted, error);
        if (received < 0)
            return Fetched::Failed;
        if (file.write(buffer, received) != received) {
            const auto* named = qobject_cast<const QFileDevice*>(&file);
            error = QStringLiteral("cannot write %1: %2")
                        .arg(named != nullptr ? named->fileName() : label, file.errorString());
            return Fetched::Failed;
        }
        done += received;
        if (received < wanted) {
            error = QStringLiteral("the terminal announced %1 bytes but sent %2").arg(length).arg(done);
            return Fetched::Failed;
        }
        progress.show(done, length);
    }
    return Fetched::File;
}

// What the file system of the output can still take.
qint64 freeSpace(const QString& output)
{
    const qint64 free = QStorageInfo(QFileInfo(output).absolutePath()).bytesAvailable();
    // Not known: the writes themselves will tell.
    return free >= 0 ? free : std::numeric_limits<qint64>::max();
}

// The output is opened before anything is sent, so that a path that cannot
// be written fails at once, and it replaces the old file only when whole.
bool openOutput(QSaveFile& file, QString& error)
{
    if (file.open(QIODevice::WriteOnly))
        return true;
    error = QStringLiteral("cannot write %1: %2").arg(file.fileName(), file.errorString());
    return false;
}

bool commit(QSaveFile& file, QString& error)
{
    if (file.commit())
        return true;
    error = QStringLiteral("cannot write %1: %2").arg(file.fileName(), file.errorString());
    return false;
}

void note(const QString& text)
{
    std::fprintf(stderr, "termctl: %s\n", text.toLocal8Bit().constData());
}

} // namespace

quint32 TcpCommands::crc32(const QByteArray& data, quint32 crc)
{
    crc = ~crc;
    for (const char byte : data) {
        crc ^= quint8(byte);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

std::string TcpCommands::fileRequestContent(const std::string& remotePath)
{
    Json::Value request(Json::objectValue);
    request["fileName"] = remotePath;
    std::string content = JsonText::write(request);
    content.pop_back(); // the writer's closing line feed
    return content;
}

std::string TcpCommands::uploadContent(const QString& fileName, quint32 crc, qint64 size)
{
    QString name;
    for (const QChar c : fileName)
        name += c == QLatin1Char(';') || c.unicode() < 0x20 ? QLatin1Char('_') : c;
    // Appended, not "literal" + string: GCC 12 at -O2 warns falsely on the latter.
    std::string rest = ";";
    rest += std::to_string(crc);
    rest += ';';
    rest += std::to_string(size);
    std::string content;
    for (;;) {
        content = QFile::encodeName(name).toStdString() + rest;
        if (name.isEmpty()
            || !TcpConnection::requestBlock(ShareKeys::UploadRequest, content).isEmpty())
            return content;
        // Whole characters only: half a pair would not encode.
        name.chop(name.back().isLowSurrogate() ? 2 : 1);
    }
}

bool TcpCommands::updateSucceeded(const QByteArray& answer, QString& text)
{
    const qsizetype end = answer.indexOf('\0');
    text = QString::fromLatin1(end < 0 ? answer : answer.left(end));
    return text == QLatin1String("successfully!");
}

int TcpCommands::screenshot(quint32 destination, const QString& output, QString& error)
{
    QSaveFile file(output);
    if (!openOutput(file, error))
        return 2;
    const qint64 limit = qMin(MaxScreenshotBytes, freeSpace(output));
    return screenshot(destination, file, limit, true, error) == 0 && commit(file, error) ? 0 : 1;
}

int TcpCommands::screenshot(quint32 destination, QIODevice& output, qint64 limit, bool verbose,
                            QString& error)
{
    Fetched fetched = Fetched::Nothing;
    for (int attempt = 1; attempt <= 2 && fetched == Fetched::Nothing; ++attempt) {
        if (attempt == 2 && verbose)
            note(QStringLiteral("the terminal had no screenshot stored yet (it captures one after "
                                "answering); asking again"));
        fetched = fetch(destination, ShareKeys::ScreenRequest, std::string(),
                        QStringLiteral("screenshot"), limit, output, error);
    }
    if (fetched == Fetched::Nothing)
        error = QStringLiteral("the terminal sent no screenshot (its capture failed, or another "
                               "client was being sent the image)");
    return fetched == Fetched::File ? 0 : 1;
}

int TcpCommands::get(quint32 destination, const std::string& remotePath, const QString& output,
                     QString& error)
{
    QSaveFile file(output);
    if (!openOutput(file, error))
        return 2;
    const Fetched fetched =
        fetch(destination, ShareKeys::FileRequest, fileRequestContent(remotePath),
              QStringLiteral("get"), freeSpace(output), file, error);
    if (fetched == Fetched::Nothing)
        error = QStringLiteral("the terminal sent no file: %1 is missing or not readable there")
                    .arg(QFile::decodeName(QByteArray::fromStdString(remotePath)));
    return fetched == Fetched::File && commit(file, error) ? 0 : 1;
}

int TcpCommands::upload(quint32 destination, const QString& package, QString& error,
                        bool showProgress)
{
    QFile file(package);
    if (!file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("cannot read %1: %2").arg(package, file.errorString());
        return 2;
    }
    quint32 crc = 0;
    for (QByteArray block; !(block = file.read(BlockSize)).isEmpty();)
        crc = crc32(block, crc);
    const qint64 size = file.size();
    if (!file.seek(0)) {
        error = QStringLiteral("cannot read %1: %2").arg(package, file.errorString());
        return 2;
    }

    TcpConnection connection;
    if (!connection.open(destination, IdleTimeoutMs, error)
        || !connection.sendRequest(ShareKeys::UploadRequest,
                                   uploadContent(QFileInfo(package).fileName(), crc, size), error))
        return 1;
    qint64 sent = 0;
    {
        std::optional<Progress> progress;
        if (showProgress)
            progress.emplace(QStringLiteral("upload"));
        while (sent < size) {
            const QByteArray block = file.read(BlockSize);
            if (block.isEmpty()) {
                error = QStringLiteral("%1 ended after %2 of %3 bytes").arg(package).arg(sent).arg(size);
                return 1;
            }
            if (!connection.send(block.constData(), block.size(), error)) {
                error += QStringLiteral(" (after %1 of %2 bytes)").arg(sent).arg(size);
                return 1;
            }
            sent += block.size();
            if (progress)
                progress->show(sent, size);
        }
    }
    // The agent closes once it has checked the length; it sends nothing.
    QByteArray ignored;
    return connection.finishSending(error) && connection.readToEnd(ignored, error) ? 0 : 1;
}

int TcpCommands::update(quint32 destination, QString& reply, QString& error)
{
    TcpConnection connection;
    QByteArray answer;
    if (!connection.open(destination, UpdateTimeoutMs, error)
        || !connection.sendRequest(ShareKeys::UpdateRequest, std::string(), error)
        || !connection.readToEnd(answer, error))
        return 1;
    if (answer.isEmpty()) {
        error = QStringLiteral("the terminal closed the connection without a reply");
        return 1;
    }
    if (updateSucceeded(answer, reply))
        return 0;
    error = QStringLiteral("the update did not succeed");
    return 1;
}
