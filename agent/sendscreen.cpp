#include "sendscreen.h"

#include <QDebug>

#include <ctime>
#include <unistd.h>

namespace {
// An image this many seconds old is still served without a refresh.
const qint64 FreshSeconds = 2;
} // namespace

ScreenBuffer SendScreen::buffer1(QStringLiteral("buffer1"));
ScreenBuffer SendScreen::buffer2(QStringLiteral("buffer2"));

SendScreen::SendScreen(const PreData& packet) : PreData(packet) {}

SendScreen::~SendScreen() = default;

ScreenBuffer* SendScreen::getNewerBuffer()
{
    return newerOf(buffer1, buffer2);
}

ScreenBuffer* SendScreen::getOlderBuffer()
{
    return olderOf(buffer1, buffer2);
}

ScreenBuffer* SendScreen::newerOf(ScreenBuffer& first, ScreenBuffer& second)
{
    return first.time() < second.time() ? &second : &first;
}

ScreenBuffer* SendScreen::olderOf(ScreenBuffer& first, ScreenBuffer& second)
{
    return first.time() > second.time() ? &second : &first;
}

bool SendScreen::needsCapture(const ScreenBuffer& newer, qint64 now)
{
    const qint64 filled = newer.time();
    return filled == 0 || !newer.hasImage() || now - filled > FreshSeconds;
}

void SendScreen::serve(int socket, ScreenBuffer& first, ScreenBuffer& second, qint64 now)
{
    ScreenBuffer* const newer = newerOf(first, second);
    qDebug() << "SendScreen::dealTask: 1)get newer buffer: " << newer->name();
    const qint64 filled = newer->time();
    qDebug() << "SendScreen::dealTask: 2)get time diff: " << now - filled;
    const bool capture = needsCapture(*newer, now);
    if (filled == 0 || !newer->hasImage()) {
        qDebug() << "SendScreen::dealTask: buffer no image, wait...";
    } else {
        qDebug() << "SendScreen::dealTask: 3)send image to client!!!";
        if (!newer->sendBuffer(socket))
            qWarning() << "SendScreen::dealTask: send failed, may be client close, buffer is lock "
                          "by another client";
    }
    if (capture) {
        qDebug() << "SendScreen::dealTask: 4)close connection, and get screen image save to older "
                    "buffer";
        // Chosen only now: a capture may have finished during the send.
        if (!olderOf(first, second)->getScreenAndSave())
            qDebug() << "SendScreen::dealTask: save image to buffer error, may be locked by last "
                        "connection";
    }
}

void SendScreen::dealTask()
{
    qDebug() << "SendScreen::dealTask: " << key.c_str();
    const int socket = extra.toInt();
    serve(socket, buffer1, buffer2, qint64(std::time(nullptr)));
    ::close(socket);
    delete this;
}
