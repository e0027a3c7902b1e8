#include "handlerunnable.h"

#include "shareprotocol.h"
#include "socketio.h"

#include <QDebug>

#include <optional>

HandleRunnable::HandleRunnable(PreData* preData, std::atomic<int>& waiting, int connection)
    : m_preData(preData), m_waiting(waiting), m_connection(connection)
{
    m_waiting.fetch_add(1);
}

void HandleRunnable::run()
{
    m_waiting.fetch_sub(1);
    qDebug() << "HandleRunnable: run " << m_preData->key.c_str();
    std::optional<SocketIo::RateFloor> floor;
    if (m_connection >= 0)
        floor.emplace(m_connection);
    m_preData->dealTask();
}
