#pragma once

#include "shareprotocol.h"

#include <QString>

// Installs the uploaded package with the device's update script and tells
// the console the outcome as a zero-terminated text. Updates run one at a
// time: a second one waits for the first to end, then checks and runs.
class Update : public PreData
{
public:
    explicit Update(const PreData& packet);
    ~Update() override;

    void dealTask() override;

    static bool checkUpdatePackage(const QString& path);
    // Runs "update.sh" from the agent's directory on path; true only when it
    // ended normally with status 0.
    static bool updateSystem(const QString& path);

private:
    // Sends the text with its terminating zero byte.
    static bool reply(int socket, const char* text);
};
