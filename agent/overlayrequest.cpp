#include "overlayrequest.h"

OverlayRequest::OverlayRequest() : PreData(KEY, std::string()) {}

OverlayRequest::~OverlayRequest() = default;

bool OverlayRequest::checkKey(const std::string& key)
{
    return key == KEY;
}
