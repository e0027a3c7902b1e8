#include "requesthandler.h"

#include "handlerunnable.h"
#include "shareprotocol.h"

#include <QDebug>
#include <QThread>
#include <QThreadPool>

#include <unistd.h>

RequestHandler::RequestHandler(QObject* parent) : QObject(parent)
{
    qDebug() << "RequestHandler:: idealThreadCount" << QThreadPool::globalInstance()->maxThreadCount();
}

void RequestHandler::handleRequest(PreData* preData)
{
    if (preData == nullptr)
        return;
    if (HandleRunnable::waiting() >= MaxWaitingTasks) {
        qWarning() << "RequestHandler::handleRequest: too many waiting tasks, dropped"
                   << preData->key.c_str();
        // A TCP task carries its connection's descriptor as an int (UDP tasks
        // carry an unsigned address) and would have closed it itself.
        if (preData->extra.typeId() == QMetaType::Int)
            ::close(preData->extra.toInt());
        delete preData;
        return;
    }
    auto* runnable = new HandleRunnable(preData);
    qDebug() << "HandleRunnable: create runable: " << preData->key.c_str();
    QThreadPool::globalInstance()->start(runnable, 0);
}
