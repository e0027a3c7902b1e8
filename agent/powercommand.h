#pragma once

#include <string>

// What a reboot and a shutdown request have in common: find the own address
// in the request's list, start the device script and end the agent. The two
// differ only in the texts and programs of this record.
struct PowerCommand
{
    const char* taskName;      // prefix of the task's log lines
    bool traceDealTask;        // writes "[## deal task: " before parsing
    const char* elementLabel;  // debug label of each listed address
    const char* script;        // device script, started when it exists
    const char* fallback;      // plain command otherwise

    static const PowerCommand& reboot();
    static const PowerCommand& shutdown();

    void execute(const std::string& key, const std::string& content) const;

private:
    // The device script, or the plain command when the script is missing or
    // cannot be started; false when neither started.
    bool start() const;
};
