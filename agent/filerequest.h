#pragma once

#include "shareprotocol.h"

// Key constant of the "FILE_REQUEST" request; only its key test is used.
class FileRequest : public PreData
{
public:
    static constexpr const char* KEY = "FILE_REQUEST";

    FileRequest();
    ~FileRequest() override;
    static bool checkKey(const std::string& key);
};
