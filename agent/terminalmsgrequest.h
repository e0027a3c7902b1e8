#pragma once

#include "sharekeys.h"
#include "shareprotocol.h"

// The agent's side of the "TERMINALMSG_REQUEST" request: only its key test is used.
class TerminalMsgRequest : public PreData
{
public:
    static constexpr const char* KEY = ShareKeys::TerminalMsgRequest;

    TerminalMsgRequest();
    ~TerminalMsgRequest() override;
    static bool checkKey(const std::string& key);
};
