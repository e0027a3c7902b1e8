#include "bcreceivemonitor.h"

#include <QDebug>
#include <QTimer>

#include <algorithm>

namespace {

constexpr int FirstDelayMs = 1000;
constexpr int LongestDelayMs = 60000;
constexpr qint64 SteadyRunMs = 60000;

} // namespace

BcReceiveMonitor::BcReceiveMonitor(QObject* parent)
    : QObject(parent)
    // The companion's output is never read; forwarded, it neither fills a
    // pipe nor piles up in the agent's memory.
    , m_process(new ScriptProcess(ScriptProcess::Channels::Forwarded, this))
    , m_restartTimer(new QTimer(this))
{
    qDebug() << "BcReceiveMonitor::BcReceiveMonitor";
    connect(m_process, &ScriptProcess::failed, this, &BcReceiveMonitor::onError);
    // Started from the event loop, the process object has finished its own
    // clean-up of the crashed run.
    m_restartTimer->setSingleShot(true);
    connect(m_restartTimer, &QTimer::timeout, this, &BcReceiveMonitor::start);
    start();
}

BcReceiveMonitor::~BcReceiveMonitor()
{
    stop();
}

void BcReceiveMonitor::stop()
{
    // The companion's end is no crash to act on.
    m_restartTimer->stop();
    m_process->disconnect(this);
    m_process->stop(1000);
}

int BcReceiveMonitor::restartDelayMs(int& crashesInARow, qint64 ranMs)
{
    if (ranMs >= SteadyRunMs)
        crashesInARow = 0;
    const int before = crashesInARow++;
    if (before == 0)
        return 0;
    // 1 s << 6 is past the cap already; the shift stays small.
    return std::min(FirstDelayMs << std::min(before - 1, 6), LongestDelayMs);
}

void BcReceiveMonitor::start()
{
    m_running.start();
    m_process->start(QStringLiteral("./ReceiveBc"));
}

void BcReceiveMonitor::onError(ScriptProcess::Failure failure)
{
    qDebug() << "BcReceiveMonitor::onError";
    if (failure == ScriptProcess::Failure::FailedToStart) {
        qDebug() << "BcReceiveMonitor::onError: FailedToStart";
    } else {
        qDebug() << "BcReceiveMonitor::onError: Crashed ----> restart";
        // A companion that crashes at every start would otherwise be
        // restarted hundreds of times a second.
        const int delayMs = restartDelayMs(m_crashesInARow, m_running.elapsed());
        if (delayMs > 0)
            qDebug() << "BcReceiveMonitor::onError: crashed again within a minute, restart in" << delayMs
                     << "ms";
        m_restartTimer->start(delayMs);
    }
}
