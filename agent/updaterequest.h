#pragma once

#include "sharekeys.h"
#include "shareprotocol.h"

// The agent's side of the "UPDATE_REQUEST" request: only its key test is used.
class UpdateRequest : public PreData
{
public:
    static constexpr const char* KEY = ShareKeys::UpdateRequest;

    UpdateRequest();
    ~UpdateRequest() override;
    static bool checkKey(const std::string& key);
};
