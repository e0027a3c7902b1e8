#pragma once

#include "shareprotocol.h"

#include <optional>

// Stores the remote-desktop settings a console sent, through the device.
class SetRdpinfo : public PreData
{
public:
    static constexpr const char* KEY = "SETRDPINFO";

    struct Settings
    {
        QString address;
        QString user;
        QString password;
        QString port;
    };

    SetRdpinfo();
    explicit SetRdpinfo(const PreData& packet);
    ~SetRdpinfo() override;
    static bool checkKey(const std::string& key);

    void dealTask() override;

    // The request content: an object whose four members are text, null or
    // absent. Nothing when it is not JSON or a member has another type;
    // invalidMember tells the two apart.
    static std::optional<Settings> parseSettings(const std::string& content, bool* invalidMember);
    // Why the device cannot store these settings as they are, or empty when it
    // can: its file keeps one value a line, its script prints them joined by
    // "|" (only the password, between user and port, may hold one), and its
    // report must fit one datagram.
    static QString refusal(const Settings& settings);

    // Longest value the device is given, in bytes.
    static constexpr qsizetype MaxValueBytes = 255;
};
