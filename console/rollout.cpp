#include "rollout.h"

#include "addresscodec.h"
#include "commandline.h"
#include "inventory.h"
#include "progress.h"
#include "rolloutbatch.h"
#include "terminalupdate.h"
#include "reporttext.h"

#include <QCryptographicHash>
#include <QFile>
#include <QHostAddress>

#include <cstdio>
#include <vector>

namespace {

bool packageSha256(const QString& package, QString& sha256, QString& error)
{
    QFile file(package);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!file.open(QIODevice::ReadOnly) || !hash.addData(&file)) {
        error = QStringLiteral("cannot read %1: %2").arg(package, file.errorString());
        return false;
    }
    sha256 = QString::fromLatin1(hash.result().toHex());
    return true;
}

bool knownTerminals(const QString& databasePath, std::vector<quint32>& targets, QString& error)
{
    Inventory inventory(databasePath);
    if (!inventory.open(error))
        return false;
    const std::vector<Inventory::Terminal> terminals = inventory.terminals(error);
    if (!error.isEmpty())
        return false;
    for (const Inventory::Terminal& terminal : terminals) {
        if (const auto address = AddressCodec::parse(terminal.ip))
            targets.push_back(*address);
    }
    if (targets.empty())
        error = QStringLiteral("the inventory %1 knows no terminal yet (termctl discover fills it)")
                    .arg(databasePath);
    return !targets.empty();
}

RolloutPlan::Result planned(TerminalUpdate::Result result)
{
    switch (result) {
    case TerminalUpdate::Result::Current:
        return RolloutPlan::Result::Current;
    case TerminalUpdate::Result::Updated:
        return RolloutPlan::Result::Updated;
    case TerminalUpdate::Result::Failed:
        break;
    }
    return RolloutPlan::Result::Failed;
}

QString resultName(RolloutPlan::Result result, bool stopped)
{
    switch (result) {
    case RolloutPlan::Result::DoneBefore:
        return QStringLiteral("done before");
    case RolloutPlan::Result::Current:
        return QStringLiteral("current");
    case RolloutPlan::Result::Updated:
        return QStringLiteral("updated");
    case RolloutPlan::Result::Failed:
        return QStringLiteral("failed");
    case RolloutPlan::Result::Pending:
        break;
    }
    return stopped ? QStringLiteral("not started") : QStringLiteral("pending");
}

RolloutRecord::Entry entry(const TerminalUpdate::Outcome& outcome, RolloutPlan::Result result)
{
    return {outcome.id, resultName(result, false), outcome.version, outcome.detail};
}

} // namespace

QString Rollout::table(const RolloutPlan& plan, const std::map<quint32, RolloutRecord::Entry>& entries)
{
    std::vector<QStringList> rows{{QStringLiteral("ADDRESS"), QStringLiteral("ID"),
                                   QStringLiteral("RESULT"), QStringLiteral("VERSION"),
                                   QStringLiteral("DETAIL")}};
    for (const quint32 target : plan.targets()) {
        const auto found = entries.find(target);
        const RolloutRecord::Entry shown = found == entries.end() ? RolloutRecord::Entry() : found->second;
        rows.push_back({QHostAddress(target).toString(), shown.id,
                        resultName(plan.result(target), plan.stopped()), shown.version,
                        shown.detail});
    }
    return ReportText::aligned(rows);
}

int Rollout::run(const CommandLine& command, const QString& databasePath, QString& error)
{
    QString sha256;
    if (!packageSha256(command.localPath, sha256, error))
        return 2;
    std::vector<quint32> targets = command.addresses;
    if (command.allKnown && !knownTerminals(databasePath, targets, error))
        return 2;
    RolloutRecord record(databasePath);
    std::map<quint32, RolloutRecord::Entry> entries;
    if (!record.open(error) || !record.done(sha256, command.expectVersion, entries, error))
        return 2;
    std::set<quint32> done;
    for (const auto& known : entries)
        done.insert(known.first);

    RolloutPlan plan(targets, done, command.batch, command.maxFailures);
    {
        Progress progress(QStringLiteral("rollout"), stderr, QStringLiteral("terminals"));
        progress.show(plan.settled(), qint64(targets.size()));
        for (std::vector<quint32> addresses; !(addresses = plan.nextBatch()).empty();) {
            RolloutBatch batch(addresses, command.localPath, command.expectVersion, command.waitMs);
            while (batch.running()) {
                const auto [address, outcome] = batch.next();
                const RolloutPlan::Result result = planned(outcome.result);
                plan.settle(address, result);
                entries[address] = entry(outcome, result);
                // A record that cannot be written costs only the resumption.
                QString recordError;
                if (!record.store(sha256, command.expectVersion, address, entries[address], recordError))
                    std::fprintf(stderr, "termctl: %s\n", recordError.toLocal8Bit().constData());
                progress.show(plan.settled(), qint64(targets.size()));
            }
        }
    }
    std::fputs(table(plan, entries).toLocal8Bit().constData(), stdout);
    if (plan.succeeded())
        return 0;
    const int left = int(targets.size()) - plan.settled();
    error = QStringLiteral("not every terminal runs %1").arg(command.expectVersion);
    if (plan.stopped())
        error += QStringLiteral(": stopped after %1 failed, %2 not started (rerun to go on)")
                     .arg(command.maxFailures)
                     .arg(left);
    return 1;
}
