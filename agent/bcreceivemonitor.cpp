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
    : QObject(parent), m_process(new QProcess(this)), m_restartTimer(new QTimer(this))
{
    qDebug() << "BcReceiveMonitor::BcReceiveMonitor";
    // The companion's output is never read; forwarded, it neither fills a
    // pipe nor piles up in the agent's memory.
    m_process->setProcessChannelMode(QProcess::ForwardedChannels);
    connect(m_process, &QProcess::errorOccurred, this, &BcReceiveMonitor::onError);
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
    if (m_process->state() != QProcess::NotRunning) {
        m_process->terminate();
        if (!m_process->waitForFinished(1000)) {
            m_process->kill();
            m_process->waitForFinished(1000);
        }
    }
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
    m_process->start(QStringLiteral("./ReceiveBc"), {}, QIODevice::ReadWrite);
}

void BcReceiveMonitor::onError(QProcess::ProcessError error)
{
    qDebug() << "BcReceiveMonitor::onError";
    if (error == QProcess::FailedToStart) {
        qDebug() << "BcReceiveMonitor::onError: FailedToStart";
    } else if (error == QProcess::Crashed) {
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
