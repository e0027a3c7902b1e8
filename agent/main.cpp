#include "agentpolicy.h"
#include "helper.h"
#include "shareprotocol.h"
#include "singlecoreapplication.h"
#include "terminalclient.h"

#include <QDebug>
#include <QDir>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

int main(int argc, char* argv[])
{
    // First, so that the instance check's warnings read like all others.
    qInstallMessageHandler(Helper::myMsgHandler);
    // A flood of rejected packets is counted rather than traced line by line.
    PreData::setTraceWriter(Helper::writeTrace);
    SingleCoreApplication app(QStringLiteral("TerminalClient"), argc, argv);
    // The agent's scripts and companion program are found beside it.
    QDir::setCurrent(QCoreApplication::applicationDirPath());
    qDebug() << QDir::currentPath();

    const QString started = QStringLiteral("The program has been started!");
    if (app.sendMessage(started, 5000)) {
        qDebug() << app.applicationName() << started;
        return 0;
    }
    if (app.isRunning()) {
        qWarning() << "main: another agent holds the instance lock but did not answer";
        return 0;
    }

    // Read once, before any connection: a changed policy takes a restart.
    AgentPolicy::current();
    TerminalClient client;
    qDebug() << "Terminclient version: " << TerminalClient::version();
    // The count of a repeated log line's burst is written even when nothing
    // else is logged after it.
    QTimer repeats;
    QObject::connect(&repeats, &QTimer::timeout, &Helper::flushRepeats);
    repeats.start(1000);
    const int result = app.exec();
    // Only a started reboot or power-off ends the loop: end at once. Tasks
    // still running are abandoned with the process instead of waited for (as
    // the application's destructor would), so no destructor runs: the
    // companion is stopped and the log flushed here.
    client.stopCompanion();
    std::fflush(stdout);
    std::fflush(stderr);
    std::_Exit(result);
}
