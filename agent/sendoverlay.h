#pragma once

#include "shareprotocol.h"

// Accepts an overlay request and closes the connection; nothing else.
class SendOverlay : public PreData
{
public:
    explicit SendOverlay(const PreData& packet);
    ~SendOverlay() override;

    void dealTask() override;
};
