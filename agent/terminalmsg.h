#pragma once

#include "sharekeys.h"
#include "shareprotocol.h"

#include "terminalinfo.h"

// Broadcasts the terminal information report to the address in extra.
class TerminalMsg : public PreData
{
public:
    static constexpr const char* KEY = ShareKeys::TerminalMsg;

    TerminalMsg();
    ~TerminalMsg() override;
    static bool checkKey(const std::string& key);

    void dealTask() override;

    // Gathers the report's members from the configuration and the device.
    static TerminalInfo collectInfo();
};
