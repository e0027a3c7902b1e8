#include "requesthandler.h"

#include "handlerunnable.h"
#include "shareprotocol.h"

#include <QDebug>
#include <QThread>

#include <unistd.h>

RequestHandler::RequestHandler(QObject* parent) : QObject(parent)
{
    m_requests.threads.setMaxThreadCount(RequestWorkers);
    m_streams.threads.setMaxThreadCount(QThread::idealThreadCount());
    qDebug() << "RequestHandler:: idealThreadCount" << streamWorkers();
}

void RequestHandler::handleRequest(PreData* preData)
{
    if (preData != nullptr && !start(m_requests, preData))
        delete preData;
}

void RequestHandler::handleStreamTask(PreData* preData)
{
    if (preData != nullptr && !start(m_streams, preData, preData->extra.toInt())) {
        // The task would have closed its connection itself.
        ::close(preData->extra.toInt());
        delete preData;
    }
}

bool RequestHandler::start(Pool& pool, PreData* preData, int connection)
{
    if (pool.waiting.load() >= MaxWaitingTasks) {
        qWarning() << "RequestHandler::handleRequest: too many waiting tasks, dropped"
                   << preData->key.c_str();
        return false;
    }
    auto* runnable = new HandleRunnable(preData, pool.waiting, connection);
    qDebug() << "HandleRunnable: create runable: " << preData->key.c_str();
    pool.threads.start(runnable, 0);
    return true;
}
