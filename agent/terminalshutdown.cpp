#include "terminalshutdown.h"

#include "powercommand.h"

TerminalShutdown::TerminalShutdown() : PreData(KEY, std::string()) {}

// The shutdown task runs under its own key, not the request's.
TerminalShutdown::TerminalShutdown(const PreData& packet) : PreData(packet)
{
    key = KEY;
}

TerminalShutdown::~TerminalShutdown() = default;

bool TerminalShutdown::checkKey(const std::string& key)
{
    return key == KEY;
}

void TerminalShutdown::dealTask()
{
    PowerCommand::shutdown().execute(key, content);
    delete this;
}
