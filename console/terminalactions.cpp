#include "terminalactions.h"

#include "commandline.h"
#include "consoleclient.h"
#include "rdpsettings.h"

#include <QFile>

bool TerminalActions::power(const QString& command, const QString& ip, QString& error)
{
    if (command != QLatin1String("reboot") && command != QLatin1String("shutdown")) {
        error = QStringLiteral("unknown action");
        return false;
    }
    const CommandLine parsed = CommandLine::parse({command, ip});
    if (parsed.action != CommandLine::Action::Send) {
        error = parsed.error;
        return false;
    }
    return ConsoleClient::send(parsed.key, parsed.content, parsed.destination, error);
}

bool TerminalActions::setRdp(const QString& ip, const QJsonObject& fields,
                             const Json::Value* report, QString& error)
{
    QStringList arguments {QStringLiteral("set-rdp"), ip};
    for (const char* name : {"server", "port", "user"}) {
        const QJsonValue value = fields.value(QLatin1String(name));
        if (value.isString())
            arguments << QStringLiteral("--%1=%2").arg(QLatin1String(name), value.toString());
    }
    CommandLine parsed = CommandLine::parse(arguments);
    if (parsed.action != CommandLine::Action::SetRdp) {
        error = parsed.error;
        return false;
    }
    // Set apart from the command line, where "-" would mean standard input.
    const QJsonValue password = fields.value(QStringLiteral("password"));
    if (password.isString())
        parsed.settings["RDP_PASSWORD"] = QFile::encodeName(password.toString()).toStdString();
    if (report == nullptr && parsed.settings.size() < std::size(RdpSettings::Members)) {
        error = QStringLiteral("the terminal has not reported its settings, so those left out "
                               "cannot be kept; give all four");
        return false;
    }
    return ConsoleClient::send(parsed.key, RdpSettings::content(parsed.settings, report),
                               parsed.destination, error);
}
