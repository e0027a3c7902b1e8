#pragma once

#include <QByteArray>
#include <QMutex>
#include <QString>

#include <atomic>

// One stored screenshot (a JPEG file) and the time it was taken. Captures
// and sends only try the lock: a busy buffer is skipped, never waited for.
class ScreenBuffer
{
public:
    explicit ScreenBuffer(const QString& name);
    ScreenBuffer(const ScreenBuffer&) = delete;
    ScreenBuffer& operator=(const ScreenBuffer&) = delete;

    // Captures the screen into this buffer. False when the buffer is busy or
    // the capture failed; a failed capture drops the image and keeps the time.
    bool getScreenAndSave();
    // Sends the image's 4-byte little-endian length and the image. False
    // when the buffer is busy, holds no image or the peer is gone.
    bool sendBuffer(int socket);

    const QString& name() const { return m_name; }
    // Seconds since the epoch of the last good capture, 0 = never. Read
    // without the lock to choose a buffer; every use then takes the lock.
    qint64 time() const { return m_time.load(); }
    // False before the first good capture and after a failed one.
    bool hasImage() const { return m_hasImage.load(); }

private:
    // Length and image; the lock is held.
    bool sendLocked(int socket) const;

    QByteArray m_data;
    std::atomic<qint64> m_time{0};
    std::atomic<bool> m_hasImage{false};
    const QString m_name;
    QMutex m_lock;
};
