#pragma once

#include "sharekeys.h"

#include <QByteArray>
#include <QString>

#include <string>

// One blocking stream connection to an agent's TCP port 9600: the request
// packet first, then the exchange its command defines.
class TcpConnection
{
public:
    static constexpr quint16 Port = ShareKeys::TcpPort;
    static constexpr int ConnectTimeoutMs = 5000;
    // The agent takes its request with one read of at most 256 bytes and
    // parses the first 255 of them.
    static constexpr int RequestBlockSize = 256;

    // The request packet padded with blanks to exactly 256 bytes, or empty
    // when the packet is longer than the 255 bytes the agent parses. The
    // agent's single read of 256 bytes then takes the whole block and never
    // a byte of what follows it, however the segments fall.
    static QByteArray requestBlock(const std::string& key, const std::string& content);

    TcpConnection() = default;
    ~TcpConnection();
    TcpConnection(const TcpConnection&) = delete;
    TcpConnection& operator=(const TcpConnection&) = delete;

    // Connects to port 9600 of destination (host order); every later read or
    // write fails after idleTimeoutMs without progress.
    bool open(quint32 destination, int idleTimeoutMs, QString& error);
    bool sendRequest(const std::string& key, const std::string& content, QString& error);
    bool send(const char* data, qint64 size, QString& error);
    // Tells the agent that nothing more follows.
    bool finishSending(QString& error);
    // Reads until the agent closes the connection.
    bool readToEnd(QByteArray& data, QString& error);
    // Reads until size bytes have come or the agent closes the connection;
    // the count received, or -1 on an error.
    qint64 readFully(char* data, qint64 size, QString& error);

private:
    QString systemError(const QString& what) const;

    int m_fd = -1;
    QString m_peer;
};
