#include "screenrequest.h"

ScreenRequest::ScreenRequest() : PreData(KEY, std::string()) {}

ScreenRequest::~ScreenRequest() = default;

bool ScreenRequest::checkKey(const std::string& key)
{
    return key == KEY;
}
