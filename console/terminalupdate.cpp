#include "terminalupdate.h"

#include "consoleclient.h"
#include "inventoryrecorder.h"
#include "reporttable.h"
#include "reporttext.h"
#include "sharekeys.h"
#include "tcpcommands.h"
#include "versiontext.h"

#include <QDeadlineTimer>
#include <QHostAddress>
#include <QThread>

#include <json/value.h>

namespace {

struct Report
{
    bool heard = false;
    std::string version;
};

// Asks the terminal alone for its report; it answers by broadcast, which
// every console on the network hears.
Report ask(quint32 address, int waitMs, TerminalUpdate::Outcome& outcome)
{
    const std::string ip = QHostAddress(address).toString().toStdString();
    ReportTable reports;
    QString error;
    Report report;
    if (!ConsoleClient::discover({address}, waitMs, reports, error, ip)) {
        outcome.detail = error;
        return report;
    }
    InventoryRecorder::keep(reports);
    const Json::Value* found = reports.find(ip);
    if (found == nullptr)
        return report;
    const Json::Value& id = (*found)["id"];
    const Json::Value& version = (*found)["version"];
    report.heard = true;
    report.version = version.isString() ? version.asString() : std::string();
    outcome.version = ReportText::printable(report.version);
    if (id.isString())
        outcome.id = ReportText::printable(id.asString());
    return report;
}

} // namespace

TerminalUpdate::Outcome TerminalUpdate::run(quint32 address, const QString& package,
                                            const QString& expectedVersion, int timeoutMs)
{
    Outcome outcome;
    const Report before = ask(address, AskMs, outcome);
    if (before.heard && VersionText::matches(before.version, expectedVersion.toStdString())) {
        outcome.result = Result::Current;
        outcome.detail = QStringLiteral("already at the version, nothing sent");
        return outcome;
    }

    QString error;
    if (TcpCommands::upload(address, package, error, false) != 0) {
        outcome.detail = QStringLiteral("upload: %1").arg(error);
        return outcome;
    }
    QString reply;
    if (TcpCommands::update(address, reply, error) != 0) {
        outcome.detail = reply.isEmpty() ? QStringLiteral("install: %1").arg(error)
                                         : QStringLiteral("install: %1").arg(reply);
        return outcome;
    }

    // Only what the terminal says after the install counts from here.
    outcome.version.clear();
    const QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        const int wait = int(qMin<qint64>(AskMs, qMax<qint64>(1, deadline.remainingTime())));
        const Report after = ask(address, wait, outcome);
        if (after.heard && VersionText::matches(after.version, expectedVersion.toStdString())) {
            outcome.result = Result::Updated;
            outcome.detail = QStringLiteral("installed");
            return outcome;
        }
        if (deadline.hasExpired())
            break;
        QThread::msleep(ulong(qMin<qint64>(RetryPauseMs, deadline.remainingTime())));
    }
    const QString seconds = QString::number(timeoutMs / 1000.0);
    outcome.detail = outcome.version.isEmpty()
                         ? QStringLiteral("installed, but no report in %1 s").arg(seconds)
                         : QStringLiteral("installed, but it still reports %1 after %2 s")
                               .arg(outcome.version, seconds);
    return outcome;
}
