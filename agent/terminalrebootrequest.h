#pragma once

#include "sharekeys.h"
#include "shareprotocol.h"

// The agent's side of the "TERMINALREBOOT_REQUEST" request: only its key test is used.
class TerminalRebootRequest : public PreData
{
public:
    static constexpr const char* KEY = ShareKeys::TerminalRebootRequest;

    TerminalRebootRequest();
    ~TerminalRebootRequest() override;
    static bool checkKey(const std::string& key);
};
