#include "handlerunnable.h"

#include "shareprotocol.h"

#include <QDebug>

std::atomic<int> HandleRunnable::s_waiting{0};

HandleRunnable::HandleRunnable(PreData* preData) : m_preData(preData)
{
    s_waiting.fetch_add(1);
}

void HandleRunnable::run()
{
    s_waiting.fetch_sub(1);
    qDebug() << "HandleRunnable: run " << m_preData->key.c_str();
    m_preData->dealTask();
}

int HandleRunnable::waiting()
{
    return s_waiting.load();
}
