#include "requesthandler.h"

#include "handlerunnable.h"
#include "shareprotocol.h"
#include "terminalmsg.h"

#include <QDebug>
#include <QThread>
#include <QTimer>

#include <utility>

#include <unistd.h>

RequestHandler::RequestHandler(QObject* parent) : QObject(parent)
{
    m_requests.threads.setMaxThreadCount(RequestWorkers);
    m_streams.threads.setMaxThreadCount(QThread::idealThreadCount());
    qDebug() << "RequestHandler:: idealThreadCount" << streamWorkers();
}

void RequestHandler::handleRequest(PreData* preData)
{
    if (preData == nullptr)
        return;
    if (TerminalMsg::checkKey(preData->key))
        queueReport(preData);
    else if (!start(m_requests, preData))
        delete preData;
}

void RequestHandler::queueReport(PreData* report)
{
    {
        const std::lock_guard lock(m_reports.mutex);
        if (m_reports.waiting) {
            delete report;
            return;
        }
        m_reports.waiting = true;
        if (m_reports.building) {
            m_reports.held = report;
            return;
        }
    }
    startReportInTime(report);
}

void RequestHandler::startReportInTime(PreData* report)
{
    std::chrono::milliseconds wait;
    {
        const std::lock_guard lock(m_reports.mutex);
        wait = std::chrono::ceil<std::chrono::milliseconds>(
            m_reports.lastStart + std::chrono::milliseconds(ReportSpacingMs) - std::chrono::steady_clock::now());
    }
    if (wait.count() <= 0) {
        startReport(report);
        return;
    }
    // Still "waiting" meanwhile: requests that come are answered by this one.
    QMetaObject::invokeMethod(this, [this, report, wait] {
        QTimer::singleShot(wait, this, [this, report] { startReport(report); });
    }, Qt::QueuedConnection);
}

void RequestHandler::startReport(PreData* report)
{
    const auto started = [this] {
        const std::lock_guard lock(m_reports.mutex);
        m_reports.building = true;
        m_reports.waiting = false;
        m_reports.lastStart = std::chrono::steady_clock::now();
    };
    const auto finished = [this] {
        PreData* next = nullptr;
        {
            const std::lock_guard lock(m_reports.mutex);
            m_reports.building = false;
            std::swap(next, m_reports.held);
        }
        if (next != nullptr)
            startReportInTime(next);
    };
    if (!start(m_requests, report, -1, started, finished)) {
        delete report;
        const std::lock_guard lock(m_reports.mutex);
        m_reports.waiting = false;
    }
}

void RequestHandler::handleStreamTask(PreData* preData)
{
    if (preData != nullptr && !start(m_streams, preData, preData->extra.toInt())) {
        // The task would have closed its connection itself.
        ::close(preData->extra.toInt());
        delete preData;
    }
}

bool RequestHandler::start(Pool& pool, PreData* preData, int connection, std::function<void()> started,
                           std::function<void()> finished)
{
    if (pool.waiting.load() >= MaxWaitingTasks) {
        qWarning() << "RequestHandler::handleRequest: too many waiting tasks, dropped"
                   << preData->key.c_str();
        return false;
    }
    auto* runnable = new HandleRunnable(preData, pool.waiting, connection, std::move(started), std::move(finished));
    qDebug() << "HandleRunnable: create runable: " << preData->key.c_str();
    pool.threads.start(runnable, 0);
    return true;
}
