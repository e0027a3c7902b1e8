#pragma once

#include <QString>

#include <json/value.h>

#include <map>
#include <string>

class CommandLine;

// set-rdp: the settings given, the password from a file or standard input,
// and the settings left out taken from the terminal's own report, so that
// they stay as they are. All of them as bytes, sent as they were typed or
// reported.
class RdpSettings
{
public:
    static constexpr const char* Members[] = {"RDP_IP", "RDP_USER", "RDP_PASSWORD", "RDP_PORT"};

    // The request content: the given values and, for the members left out,
    // those of the report (empty without one).
    static std::string content(const std::map<std::string, std::string>& given,
                               const Json::Value* report);
    // The first line of file without its line feed; "-" reads standard
    // input, asking without echo when it is a terminal.
    static bool readPassword(const QString& file, std::string& password, QString& error);
    // Runs set-rdp; termctl's exit status.
    static int run(const CommandLine& command, QString& error);
};
