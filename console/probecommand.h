#pragma once

#include "prober.h"

#include <QString>

#include <vector>

class CommandLine;

// termctl probe: probes the addresses and prints why each answers or not, as
// a table for people or JSON lines for scripts.
class ProbeCommand
{
public:
    // termctl's exit status: 0 when every address was probed.
    static int run(const CommandLine& command, QString& error);

    static QString table(const std::vector<Prober::Result>& results);
    // {"address":"A.B.C.D","detail":"...","ms":N,"state":"alive"}, a line each;
    // "ms" only where an answer came.
    static QString jsonLines(const std::vector<Prober::Result>& results);
};
