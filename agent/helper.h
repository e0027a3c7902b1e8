#pragma once

#include <QtGlobal>

#include <cstdio>

class QMessageLogContext;
class QString;

// The agent's log output: one line on standard error per message, and the
// packet traces on standard output.
class Helper
{
public:
    // A datagram costs its sender nothing, so a flood of rejected ones would
    // decide how much the agent logs. The first lines of a burst of one same
    // line are written as they are; beyond this many, the line is counted and
    // the count written once a second until the line has not come for a
    // second.
    static constexpr int BurstLines = 50;

    static void myMsgHandler(QtMsgType type, const QMessageLogContext& context,
                             const QString& message);
    // Writes line (ending in a line feed) to stream, unless it is repeated
    // beyond a burst.
    static void writeLine(std::FILE* stream, const char* line);
    // A packet trace: a line on standard output, bounded like the log lines.
    static void writeTrace(const char* line);
    // Writes the counts of the second that is over; called once a second, so
    // that the count of a burst that ended is not left unwritten.
    static void flushRepeats();
};
