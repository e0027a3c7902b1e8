#include "terminalrebootrequest.h"

TerminalRebootRequest::TerminalRebootRequest() : PreData(KEY, std::string()) {}

TerminalRebootRequest::~TerminalRebootRequest() = default;

bool TerminalRebootRequest::checkKey(const std::string& key)
{
    return key == KEY;
}
