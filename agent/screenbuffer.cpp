#include "screenbuffer.h"

#include "mylib.h"
#include "socketio.h"

#include <QDebug>

#include <cerrno>
#include <cstring>
#include <ctime>

ScreenBuffer::ScreenBuffer(const QString& name) : m_name(name) {}

bool ScreenBuffer::getScreenAndSave()
{
    if (!m_lock.tryLock()) {
        qWarning() << "ScreenBuffer::getScreenAndSave: cann't lock " << m_name;
        return false;
    }
    const bool saved = Provider::getScreenImage(m_data);
    if (saved) {
        m_hasImage = true;
        m_time = qint64(std::time(nullptr));
    } else {
        m_data.clear();
        m_hasImage = false;
    }
    qDebug() << "ScreenBuffer::getScreenAndSave: " << saved;
    m_lock.unlock();
    return saved;
}

bool ScreenBuffer::sendBuffer(int socket)
{
    if (!m_lock.tryLock())
        return false;
    // Empty when a capture failed after this buffer was chosen: nothing to send.
    const bool sent = !m_data.isEmpty() && sendLocked(socket);
    m_lock.unlock();
    return sent;
}

bool ScreenBuffer::sendLocked(int socket) const
{
    if (!SocketIo::sendLength(socket, qint32(m_data.size()))) {
        qWarning() << "ScreenBuffer::sendBuffer: " << std::strerror(errno);
        return false;
    }
    if (!SocketIo::sendAll(socket, m_data.constData(), m_data.size())) {
        qWarning() << "send data: " << std::strerror(errno);
        return false;
    }
    qDebug() << "sendBuffer size: " << m_data.size();
    return true;
}
