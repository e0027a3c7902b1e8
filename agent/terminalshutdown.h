#pragma once

#include "shareprotocol.h"

// Runs the device's shutdown script when the request lists this terminal.
class TerminalShutdown : public PreData
{
public:
    static constexpr const char* KEY = "TERMINALSHUTDOWN";

    TerminalShutdown();
    explicit TerminalShutdown(const PreData& packet);
    ~TerminalShutdown() override;
    static bool checkKey(const std::string& key);

    void dealTask() override;
};
