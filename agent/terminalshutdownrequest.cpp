#include "terminalshutdownrequest.h"

TerminalShutdownRequest::TerminalShutdownRequest() : PreData(KEY, std::string()) {}

TerminalShutdownRequest::~TerminalShutdownRequest() = default;

bool TerminalShutdownRequest::checkKey(const std::string& key)
{
    return key == KEY;
}
