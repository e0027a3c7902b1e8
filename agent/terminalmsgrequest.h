#pragma once

#include "shareprotocol.h"

// Key constant of the "TERMINALMSG_REQUEST" request; only its key test is used.
class TerminalMsgRequest : public PreData
{
public:
    static constexpr const char* KEY = "TERMINALMSG_REQUEST";

    TerminalMsgRequest();
    ~TerminalMsgRequest() override;
    static bool checkKey(const std::string& key);
};
