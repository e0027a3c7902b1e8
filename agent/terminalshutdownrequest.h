#pragma once

#include "sharekeys.h"
#include "shareprotocol.h"

// The agent's side of the "TERMINALSHUTDOWN_REQUEST" request: only its key test is used.
class TerminalShutdownRequest : public PreData
{
public:
    static constexpr const char* KEY = ShareKeys::TerminalShutdownRequest;

    TerminalShutdownRequest();
    ~TerminalShutdownRequest() override;
    static bool checkKey(const std::string& key);
};
