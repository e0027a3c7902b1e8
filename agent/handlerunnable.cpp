#include "handlerunnable.h"

#include "shareprotocol.h"
#include "socketio.h"

#include <QDebug>

#include <optional>
#include <utility>

HandleRunnable::HandleRunnable(PreData* preData, std::atomic<int>& waiting, int connection,
                               std::function<void()> started, std::function<void()> finished)
    : m_preData(preData), m_waiting(waiting), m_connection(connection), m_started(std::move(started)),
      m_finished(std::move(finished))
{
    m_waiting.fetch_add(1);
}

void HandleRunnable::run()
{
    m_waiting.fetch_sub(1);
    if (m_started)
        m_started();
    qDebug() << "HandleRunnable: run " << m_preData->key.c_str();
    std::optional<SocketIo::RateFloor> floor;
    if (m_connection >= 0)
        floor.emplace(m_connection);
    m_preData->dealTask();
    if (m_finished)
        m_finished();
}
