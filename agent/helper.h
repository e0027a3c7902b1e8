#pragma once

#include <QtGlobal>

class QMessageLogContext;
class QString;

// The agent's log output: one line on standard error per message.
class Helper
{
public:
    static void myMsgHandler(QtMsgType type, const QMessageLogContext& context,
                             const QString& message);
};
