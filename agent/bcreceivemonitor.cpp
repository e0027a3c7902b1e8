#include "bcreceivemonitor.h"

#include <QDebug>

BcReceiveMonitor::BcReceiveMonitor(QObject* parent)
    : QObject(parent), m_process(new QProcess(this))
{
    qDebug() << "BcReceiveMonitor::BcReceiveMonitor";
    // The companion's output is never read; forwarded, it neither fills a
    // pipe nor piles up in the agent's memory.
    m_process->setProcessChannelMode(QProcess::ForwardedChannels);
    connect(m_process, &QProcess::errorOccurred, this, &BcReceiveMonitor::onError);
    start();
}

BcReceiveMonitor::~BcReceiveMonitor()
{
    // The companion ends with the agent; its end is no crash to act on.
    m_process->disconnect(this);
    if (m_process->state() != QProcess::NotRunning) {
        m_process->terminate();
        if (!m_process->waitForFinished(1000)) {
            m_process->kill();
            m_process->waitForFinished(1000);
        }
    }
}

void BcReceiveMonitor::start()
{
    m_process->start(QStringLiteral("./ReceiveBc"), {}, QIODevice::ReadWrite);
}

void BcReceiveMonitor::onError(QProcess::ProcessError error)
{
    qDebug() << "BcReceiveMonitor::onError";
    if (error == QProcess::FailedToStart) {
        qDebug() << "BcReceiveMonitor::onError: FailedToStart";
    } else if (error == QProcess::Crashed) {
        qDebug() << "BcReceiveMonitor::onError: Crashed ----> restart";
        // Queued: the process object finishes its own clean-up of the
        // crashed run before it is started again.
        QMetaObject::invokeMethod(this, &BcReceiveMonitor::start, Qt::QueuedConnection);
    }
}
