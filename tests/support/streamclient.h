#pragma once

#include <QByteArray>
#include <QtGlobal>

// A console's raw end of one TCP connection to the agent's port 9600, for
// tests where the bytes on the wire matter.
class StreamClient
{
public:
    static constexpr quint32 Loopback = 0x7f000001;

    // address in host order; reads and writes give up after timeoutMs.
    explicit StreamClient(quint32 address = Loopback, int timeoutMs = 15000);
    ~StreamClient();
    StreamClient(const StreamClient&) = delete;
    StreamClient& operator=(const StreamClient&) = delete;

    bool connected() const { return m_fd >= 0; }
    bool send(const QByteArray& bytes) const;
    // Nothing more from this side.
    void finishSending() const;
    // Without waiting: true once the agent has closed the connection, with
    // the bytes it sent before appended to bytes.
    bool closed(QByteArray* bytes = nullptr) const;
    // Everything until the agent closes; closed is false when it did not
    // within the time-out.
    QByteArray receiveAll(bool* closed) const;

private:
    int m_fd = -1;
};
