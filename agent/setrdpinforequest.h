#pragma once

#include "sharekeys.h"
#include "shareprotocol.h"

// The agent's side of the "SETRDPINFO_REQUEST" request: only its key test is used.
class SetRdpinfoRequest : public PreData
{
public:
    static constexpr const char* KEY = ShareKeys::SetRdpinfoRequest;

    SetRdpinfoRequest();
    ~SetRdpinfoRequest() override;
    static bool checkKey(const std::string& key);
};
