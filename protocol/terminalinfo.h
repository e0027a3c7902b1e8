#pragma once

#include <string>

// The members of one terminal information report, as 8-bit Latin-1 text.
struct TerminalInfo
{
    std::string id;
    std::string hostName;
    std::string model;
    std::string version;
    std::string ip;
    std::string mac;
    std::string rdpIp;
    std::string rdpPort;
    std::string rdpUser;
    std::string rdpPassword;
    std::string status;

    // The report content: a compact JSON object ending in a line feed.
    std::string toContent() const;
};
