#include "setrdpinfo.h"

#include "jsontext.h"
#include "mylib.h"

#include <QDebug>

SetRdpinfo::SetRdpinfo() : PreData(KEY, std::string()) {}

SetRdpinfo::SetRdpinfo(const PreData& packet) : PreData(packet) {}

SetRdpinfo::~SetRdpinfo() = default;

bool SetRdpinfo::checkKey(const std::string& key)
{
    return key == KEY;
}

std::optional<SetRdpinfo::Settings> SetRdpinfo::parseSettings(const std::string& content,
                                                               bool* invalidMember)
{
    *invalidMember = false;
    Json::Value root;
    if (!JsonText::parse(content, root))
        return std::nullopt;
    std::string address, user, password, port;
    if (!JsonText::stringMember(root, "RDP_IP", address)
        || !JsonText::stringMember(root, "RDP_USER", user)
        || !JsonText::stringMember(root, "RDP_PASSWORD", password)
        || !JsonText::stringMember(root, "RDP_PORT", port)) {
        *invalidMember = true;
        return std::nullopt;
    }
    const auto text = [](const std::string& bytes) {
        return QString::fromLatin1(bytes.data(), qsizetype(bytes.size()));
    };
    return Settings{text(address), text(user), text(password), text(port)};
}

QString SetRdpinfo::refusal(const Settings& settings)
{
    const struct
    {
        const char* name;
        const QString& value;
        bool separatorAllowed;
    } values[] = {{"RDP_IP", settings.address, false},
                  {"RDP_USER", settings.user, false},
                  {"RDP_PASSWORD", settings.password, true},
                  {"RDP_PORT", settings.port, false}};
    for (const auto& [name, value, separatorAllowed] : values) {
        // One Latin-1 character per byte received.
        if (value.size() > MaxValueBytes)
            return QStringLiteral("%1 is longer than %2 bytes").arg(QLatin1String(name)).arg(MaxValueBytes);
        for (const QChar c : value) {
            if (c.unicode() < 0x20 || c.unicode() == 0x7f)
                return QStringLiteral("%1 holds a control character").arg(QLatin1String(name));
            if (c == QLatin1Char('|') && !separatorAllowed)
                return QStringLiteral("%1 holds a \"|\"").arg(QLatin1String(name));
        }
    }
    return QString();
}

void SetRdpinfo::dealTask()
{
    qDebug() << "SetRdpinfo::dealTask: " << key.c_str();
    bool invalidMember = false;
    const auto settings = parseSettings(content, &invalidMember);
    const QString refused = settings ? refusal(*settings) : QString();
    if (!refused.isEmpty())
        qWarning() << "SetRdpinfo::dealTask: settings refused, nothing changed:" << refused;
    else if (settings)
        Provider::setRDPInfo(settings->address, settings->user, settings->password, settings->port);
    else if (invalidMember)
        qWarning() << "SetRdpinfo::dealTask: settings are not an object of texts";
    else
        qWarning() << "SetRdpinfo::dealTask: json parse error";
    delete this;
}
