#include "helper.h"
#include "singlecoreapplication.h"
#include "terminalclient.h"

#include <QDebug>
#include <QDir>

int main(int argc, char* argv[])
{
    // First, so that the instance check's warnings read like all others.
    qInstallMessageHandler(Helper::myMsgHandler);
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

    TerminalClient client;
    qDebug() << "Terminclient version: " << TerminalClient::version();
    return app.exec();
}
