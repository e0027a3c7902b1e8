#pragma once

#include "sharekeys.h"
#include "shareprotocol.h"

// The agent's side of the "FILE_REQUEST" request: only its key test is used.
class FileRequest : public PreData
{
public:
    static constexpr const char* KEY = ShareKeys::FileRequest;

    FileRequest();
    ~FileRequest() override;
    static bool checkKey(const std::string& key);
};
