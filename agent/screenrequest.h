#pragma once

#include "shareprotocol.h"

// Key constant of the "SCREEN_REQUEST" request; only its key test is used.
class ScreenRequest : public PreData
{
public:
    static constexpr const char* KEY = "SCREEN_REQUEST";

    ScreenRequest();
    ~ScreenRequest() override;
    static bool checkKey(const std::string& key);
};
