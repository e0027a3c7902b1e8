#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QObject>
#include <QThreadPool>

#include <map>

// The last screenshot of each terminal the dashboard shows, with its time.
// A fresh one is served from here; an older or missing one is fetched, at
// most MaxInFlight terminals at a time (the rest wait in line), and served
// once it is here. The page asks only for the cards in view, and a picture
// nobody asked for in a while is dropped, which bounds the memory.
class ThumbnailCache : public QObject
{
    Q_OBJECT
public:
    static constexpr int MaxInFlight = 8;
    static constexpr int FreshMs = 4000;
    static constexpr int KeepMs = 60000;
    // Far above a full-HD JPEG, far below what 200 terminals may hold.
    static constexpr qint64 MaxJpegBytes = 4 * 1024 * 1024;

    explicit ThumbnailCache(QObject* parent = nullptr);
    ~ThumbnailCache() override;

    struct Picture
    {
        QByteArray jpeg; // empty: none yet
        QDateTime taken;
    };

    // The newest picture of the terminal; a stale or missing one is asked for.
    Picture get(quint32 address, const QDateTime& now);

private:
    struct Entry
    {
        QByteArray jpeg;
        QDateTime taken;
        QDateTime asked;
        bool fetching = false;
    };

    void fetched(quint32 address, const QByteArray& jpeg);
    void forgetUnasked(const QDateTime& now);

    std::map<quint32, Entry> m_entries;
    QThreadPool m_pool;
};
