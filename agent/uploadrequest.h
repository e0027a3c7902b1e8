#pragma once

#include "shareprotocol.h"

// Key constant of the "UPLOAD_REQUEST" request; only its key test is used.
class UploadRequest : public PreData
{
public:
    static constexpr const char* KEY = "UPLOAD_REQUEST";

    UploadRequest();
    ~UploadRequest() override;
    static bool checkKey(const std::string& key);
};
