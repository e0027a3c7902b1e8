#pragma once

#include <QJsonObject>
#include <QString>

#include <json/value.h>

// The dashboard's actions on one terminal, made of termctl's own commands:
// the same checks of the values and the same packets.
class TerminalActions
{
public:
    // "reboot" or "shutdown".
    static bool power(const QString& command, const QString& ip, QString& error);
    // fields: "server", "port", "user" and, to change it, "password"; the
    // members left out keep the values of the terminal's report.
    static bool setRdp(const QString& ip, const QJsonObject& fields, const Json::Value* report,
                       QString& error);
};
