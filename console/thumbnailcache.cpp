#include "thumbnailcache.h"

#include "tcpcommands.h"

#include <QBuffer>

ThumbnailCache::ThumbnailCache(QObject* parent)
    : QObject(parent)
{
    // The pool's threads are the fetches in flight; its queue is the line.
    m_pool.setMaxThreadCount(MaxInFlight);
}

ThumbnailCache::~ThumbnailCache()
{
    m_pool.clear();
    m_pool.waitForDone();
}

ThumbnailCache::Picture ThumbnailCache::get(quint32 address, const QDateTime& now)
{
    forgetUnasked(now);
    Entry& entry = m_entries[address];
    entry.asked = now;
    const bool fresh = entry.taken.isValid() && entry.taken.msecsTo(now) < FreshMs;
    if (!fresh && !entry.fetching) {
        entry.fetching = true;
        m_pool.start([this, address] {
            QBuffer buffer;
            buffer.open(QIODevice::WriteOnly);
            QString error;
            if (TcpCommands::screenshot(address, buffer, MaxJpegBytes, false, error) != 0)
                buffer.buffer().clear();
            QMetaObject::invokeMethod(
                this, [this, address, jpeg = buffer.data()] { fetched(address, jpeg); },
                Qt::QueuedConnection);
        });
    }
    return {entry.jpeg, entry.taken};
}

void ThumbnailCache::fetched(quint32 address, const QByteArray& jpeg)
{
    const auto found = m_entries.find(address);
    if (found == m_entries.end())
        return;
    found->second.fetching = false;
    // A failed fetch keeps the last picture; the card shows its age.
    if (jpeg.isEmpty())
        return;
    found->second.jpeg = jpeg;
    found->second.taken = QDateTime::currentDateTimeUtc();
}

void ThumbnailCache::forgetUnasked(const QDateTime& now)
{
    for (auto it = m_entries.begin(); it != m_entries.end();) {
        const bool unasked = !it->second.fetching && it->second.asked.msecsTo(now) > KeepMs;
        it = unasked ? m_entries.erase(it) : std::next(it);
    }
}
