#include "powercommand.h"

#include "config.h"
#include "devicepaths.h"
#include "helper.h"
#include "scriptrunner.h"
#include "targetlist.h"

#include <QCoreApplication>
#include <QDebug>
#include <QFile>

#include <cstdio>

namespace {

// Rejected requests are traced; a flood of them is counted instead.
void trace(const std::string& line)
{
    Helper::writeLine(stdout, line.c_str());
}

} // namespace

const PowerCommand& PowerCommand::reboot()
{
    static const PowerCommand command{"TerminalReboot", true, "reboot ip: ",
                                      SYSTEMSSTARTROOT "reboot.sh", "reboot"};
    return command;
}

const PowerCommand& PowerCommand::shutdown()
{
    static const PowerCommand command{"TerminalShutdown", false, "shutdown ip: ",
                                      SYSTEMPOWEROFFSCRIPT, "poweroff"};
    return command;
}

void PowerCommand::execute(const std::string& key, const std::string& content) const
{
    const QString name = QString::fromLatin1(taskName);
    qDebug().noquote() << name + "::dealTask: " << key.c_str();
    if (traceDealTask)
        trace("[## deal task: \t" + key + "\n");

    const auto targets = TargetList::parse(content);
    if (!targets) {
        trace("[## json parse error\n");
        return;
    }
    const qint32 own = qint32(Config::getInstance()->getAddress().toIPv4Address());
    if (own == 0) {
        qWarning().noquote() << name + "::dealTask: local ip: 0";
        return;
    }
    qDebug() << "subIP: " << own;
    bool started = false;
    for (const qint32 target : *targets) {
        qDebug() << elementLabel << target;
        if (target != own)
            continue;
        trace("[## find target ip\n");
        if (start()) {
            started = true;
        } else {
            // Quitting would leave a terminal that neither goes down nor can
            // be reached again.
            qWarning().noquote() << name + "::dealTask: neither" << script << "nor" << fallback
                                 << "could be started; the agent keeps serving";
        }
    }
    // Asked only once the list is walked: the agent ends at once, without
    // waiting for running tasks, this one included.
    if (started) {
        if (QCoreApplication* app = QCoreApplication::instance())
            QMetaObject::invokeMethod(app, &QCoreApplication::quit, Qt::QueuedConnection);
    }
}

bool PowerCommand::start() const
{
    const QString path = QString::fromLatin1(script);
    if (QFile::exists(path) && ScriptRunner::startDetached(path, {}, {}, ScriptRunner::Via::Shell))
        return true;
    return ScriptRunner::startDetached(QString::fromLatin1(fallback));
}
