#pragma once

#include "shareprotocol.h"

// Key constant of the "SETRDPINFO_REQUEST" request; only its key test is used.
class SetRdpinfoRequest : public PreData
{
public:
    static constexpr const char* KEY = "SETRDPINFO_REQUEST";

    SetRdpinfoRequest();
    ~SetRdpinfoRequest() override;
    static bool checkKey(const std::string& key);
};
