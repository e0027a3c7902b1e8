#include "updaterequest.h"

UpdateRequest::UpdateRequest() : PreData(KEY, std::string()) {}

UpdateRequest::~UpdateRequest() = default;

bool UpdateRequest::checkKey(const std::string& key)
{
    return key == KEY;
}
