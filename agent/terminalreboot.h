#pragma once

#include "shareprotocol.h"

// Runs the device's reboot script when the request lists this terminal.
class TerminalReboot : public PreData
{
public:
    static constexpr const char* KEY = "TERMINALREBOOT";

    TerminalReboot();
    explicit TerminalReboot(const PreData& packet);
    ~TerminalReboot() override;
    static bool checkKey(const std::string& key);

    void dealTask() override;
};
