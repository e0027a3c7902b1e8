#include "terminalinfo.h"

#include "jsontext.h"

std::string TerminalInfo::toContent() const
{
    Json::Value object(Json::objectValue);
    object["id"] = id;
    object["hostName"] = hostName;
    object["model"] = model;
    object["version"] = version;
    object["ip"] = ip;
    object["mac"] = mac;
    object["RDP_IP"] = rdpIp;
    object["RDP_PORT"] = rdpPort;
    object["RDP_USER"] = rdpUser;
    object["RDP_PASSWORD"] = rdpPassword;
    object["status"] = status;
    return JsonText::write(object);
}
