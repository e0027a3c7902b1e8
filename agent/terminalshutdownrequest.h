#pragma once

#include "shareprotocol.h"

// Key constant of the "TERMINALSHUTDOWN_REQUEST" request; only its key test is used.
class TerminalShutdownRequest : public PreData
{
public:
    static constexpr const char* KEY = "TERMINALSHUTDOWN_REQUEST";

    TerminalShutdownRequest();
    ~TerminalShutdownRequest() override;
    static bool checkKey(const std::string& key);
};
