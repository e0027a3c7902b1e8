#include "filerequest.h"

FileRequest::FileRequest() : PreData(KEY, std::string()) {}

FileRequest::~FileRequest() = default;

bool FileRequest::checkKey(const std::string& key)
{
    return key == KEY;
}
