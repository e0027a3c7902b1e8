#pragma once

#include "shareprotocol.h"

// Key constant of the "UPDATE_REQUEST" request; only its key test is used.
class UpdateRequest : public PreData
{
public:
    static constexpr const char* KEY = "UPDATE_REQUEST";

    UpdateRequest();
    ~UpdateRequest() override;
    static bool checkKey(const std::string& key);
};
