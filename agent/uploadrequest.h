#pragma once

#include "sharekeys.h"
#include "shareprotocol.h"

// The agent's side of the "UPLOAD_REQUEST" request: only its key test is used.
class UploadRequest : public PreData
{
public:
    static constexpr const char* KEY = ShareKeys::UploadRequest;

    UploadRequest();
    ~UploadRequest() override;
    static bool checkKey(const std::string& key);
};
