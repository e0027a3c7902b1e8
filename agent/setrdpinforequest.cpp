#include "setrdpinforequest.h"

SetRdpinfoRequest::SetRdpinfoRequest() : PreData(KEY, std::string()) {}

SetRdpinfoRequest::~SetRdpinfoRequest() = default;

bool SetRdpinfoRequest::checkKey(const std::string& key)
{
    return key == KEY;
}
