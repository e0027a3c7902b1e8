#pragma once

#include "shareprotocol.h"

// Key constant of the "TERMINALREBOOT_REQUEST" request; only its key test is used.
class TerminalRebootRequest : public PreData
{
public:
    static constexpr const char* KEY = "TERMINALREBOOT_REQUEST";

    TerminalRebootRequest();
    ~TerminalRebootRequest() override;
    static bool checkKey(const std::string& key);
};
