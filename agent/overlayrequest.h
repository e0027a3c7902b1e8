#pragma once

#include "sharekeys.h"
#include "shareprotocol.h"

// The agent's side of the "OVERLAY_REQUEST" request: only its key test is used.
class OverlayRequest : public PreData
{
public:
    static constexpr const char* KEY = ShareKeys::OverlayRequest;

    OverlayRequest();
    ~OverlayRequest() override;
    static bool checkKey(const std::string& key);
};
