#pragma once

#include "shareprotocol.h"

// Key constant of the "OVERLAY_REQUEST" request; only its key test is used.
class OverlayRequest : public PreData
{
public:
    static constexpr const char* KEY = "OVERLAY_REQUEST";

    OverlayRequest();
    ~OverlayRequest() override;
    static bool checkKey(const std::string& key);
};
