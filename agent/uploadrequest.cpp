#include "uploadrequest.h"

UploadRequest::UploadRequest() : PreData(KEY, std::string()) {}

UploadRequest::~UploadRequest() = default;

bool UploadRequest::checkKey(const std::string& key)
{
    return key == KEY;
}
