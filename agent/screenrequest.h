#pragma once

#include "sharekeys.h"
#include "shareprotocol.h"

// The agent's side of the "SCREEN_REQUEST" request: only its key test is used.
class ScreenRequest : public PreData
{
public:
    static constexpr const char* KEY = ShareKeys::ScreenRequest;

    ScreenRequest();
    ~ScreenRequest() override;
    static bool checkKey(const std::string& key);
};
