#include "terminalreboot.h"

#include "powercommand.h"

TerminalReboot::TerminalReboot() : PreData(KEY, std::string()) {}

TerminalReboot::TerminalReboot(const PreData& packet) : PreData(packet) {}

TerminalReboot::~TerminalReboot() = default;

bool TerminalReboot::checkKey(const std::string& key)
{
    return key == KEY;
}

void TerminalReboot::dealTask()
{
    PowerCommand::reboot().execute(key, content);
    delete this;
}
