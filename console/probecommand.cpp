#include "probecommand.h"

#include "commandline.h"
#include "reporttext.h"

#include <QHostAddress>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>

int ProbeCommand::run(const CommandLine& command, QString& error)
{
    std::vector<Prober::Result> results;
    const bool done = Prober::run(command.addresses, command.waitMs, command.parallel, results, error);
    const QString text = command.json ? jsonLines(results) : table(results);
    std::fputs(text.toLocal8Bit().constData(), stdout);
    return done ? 0 : 1;
}

QString ProbeCommand::table(const std::vector<Prober::Result>& results)
{
    std::vector<QStringList> rows{{QStringLiteral("ADDRESS"), QStringLiteral("STATE"),
                                   QStringLiteral("DETAIL")}};
    for (const Prober::Result& result : results)
        rows.push_back({QHostAddress(result.address).toString(),
                        QLatin1String(Prober::name(result.state)), result.detail});
    return ReportText::aligned(rows);
}

QString ProbeCommand::jsonLines(const std::vector<Prober::Result>& results)
{
    QString text;
    for (const Prober::Result& result : results) {
        QJsonObject line{{QStringLiteral("address"), QHostAddress(result.address).toString()},
                         {QStringLiteral("state"), QLatin1String(Prober::name(result.state))},
                         {QStringLiteral("detail"), result.detail}};
        if (result.milliseconds >= 0)
            line.insert(QStringLiteral("ms"), result.milliseconds);
        text += QString::fromUtf8(QJsonDocument(line).toJson(QJsonDocument::Compact)) + QLatin1Char('\n');
    }
    return text;
}
