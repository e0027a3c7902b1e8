#include "handlerunnable.h"

#include "shareprotocol.h"

#include <QDebug>

HandleRunnable::HandleRunnable(PreData* preData, std::atomic<int>& waiting)
    : m_preData(preData), m_waiting(waiting)
{
    m_waiting.fetch_add(1);
}

void HandleRunnable::run()
{
    m_waiting.fetch_sub(1);
    qDebug() << "HandleRunnable: run " << m_preData->key.c_str();
    m_preData->dealTask();
}
