#include "terminalmsgrequest.h"

TerminalMsgRequest::TerminalMsgRequest() : PreData(KEY, std::string()) {}

TerminalMsgRequest::~TerminalMsgRequest() = default;

bool TerminalMsgRequest::checkKey(const std::string& key)
{
    return key == KEY;
}
