#include "mylib.h"

#include "scriptrunner.h"

#include <QDebug>

#include <cerrno>
#include <cstring>
#include <limits>
#include <unistd.h>

namespace {
const char* const GetScript = "./getRDPinfo.sh";
const char* const UpdateScript = "./updateRDPinfo.sh";
const int GetScriptTimeoutMs = 30000;
} // namespace

RDP_Info Provider::getRDPInfo()
{
    if (::access(GetScript, F_OK) != 0) {
        qWarning() << "Provider::failed to get RDP configuration: " << std::strerror(errno);
        return RDP_Info();
    }
    const ScriptRunner::Output output =
        ScriptRunner::read(QString::fromLatin1(GetScript), {}, GetScriptTimeoutMs);
    if (!output.ok) {
        qWarning() << "Provider::failed get RDP info " << output.errorText;
        return RDP_Info();
    }
    qDebug() << "Provider::getRDPInfo: " << output.standardOutput;
    const RDP_Info info = parseRDPInfo(output.standardOutput);
    qDebug() << "RDP_IP: \t" << info.serverAddress;
    qDebug() << "RDP_USER: \t" << info.user;
    qDebug() << "RDP_PASSWORD: \t" << info.password;
    qDebug() << "RDP_PORT: \t" << info.port;
    return info;
}

RDP_Info Provider::parseRDPInfo(const QByteArray& output)
{
    RDP_Info info;
    const QStringList fields = QString::fromLatin1(output).trimmed().split(QLatin1Char('|'));
    if (fields.size() < 4)
        return info;
    info.serverAddress = fields.at(0);
    info.user = fields.at(1);
    info.password = fields.at(2);
    info.port = leadingInt(fields.at(3));
    return info;
}

int Provider::leadingInt(const QString& text)
{
    qsizetype i = 0;
    while (i < text.size() && text.at(i).isSpace())
        ++i;
    bool negative = false;
    if (i < text.size() && (text.at(i) == QLatin1Char('-') || text.at(i) == QLatin1Char('+'))) {
        negative = text.at(i) == QLatin1Char('-');
        ++i;
    }
    qint64 value = 0;
    for (; i < text.size() && text.at(i) >= QLatin1Char('0') && text.at(i) <= QLatin1Char('9'); ++i) {
        value = value * 10 + (text.at(i).unicode() - '0');
        if (value > std::numeric_limits<int>::max())
            return 0;
    }
    return int(negative ? -value : value);
}

void Provider::setRDPInfo(const QString& address, const QString& user, const QString& password,
                          const QString& port)
{
    if (::access(UpdateScript, F_OK) != 0) {
        qWarning() << "Provider::setRDPInfo:failed to set RDP configuration: "
                   << std::strerror(errno);
        return;
    }
    ScriptRunner::execute(QString::fromLatin1(UpdateScript), {address, user, password, port});
    qDebug() << "Provider::setRDPInfo: ";
    qDebug() << "\tRDP_IP: \t" << address;
    qDebug() << "\tRDP_USER: \t" << user;
    qDebug() << "\tRDP_PASSWORD: \t" << password;
    qDebug() << "\tRDP_PORT: \t" << port;
}
