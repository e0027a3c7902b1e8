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

void SetRdpinfo::dealTask()
{
    qDebug() << "SetRdpinfo::dealTask: " << key.c_str();
    bool invalidMember = false;
    const auto settings = parseSettings(content, &invalidMember);
    if (settings)
        Provider::setRDPInfo(settings->address, settings->user, settings->password, settings->port);
    else if (invalidMember)
        qWarning() << "SetRdpinfo::dealTask: settings are not an object of texts";
    else
        qWarning() << "SetRdpinfo::dealTask: json parse error";
    delete this;
}
