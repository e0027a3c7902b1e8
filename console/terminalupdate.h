#pragma once

#include <QString>
#include <QtGlobal>

#include <string>

// One terminal's turn in a rollout: asks its version, and unless it already
// runs the expected one uploads and installs the package, then asks again
// until the terminal reports the expected version or the time is up. Blocking;
// a rollout runs one per terminal of a batch side by side.
class TerminalUpdate
{
public:
    // How long one report request is waited for, and the pause before the
    // next while the terminal restarts.
    static constexpr int AskMs = 2000;
    static constexpr int RetryPauseMs = 1000;

    enum class Result { Current, Updated, Failed };

    struct Outcome
    {
        Result result = Result::Failed;
        QString id;      // as reported; empty when no report came
        QString version; // the last version reported
        QString detail;
    };

    // timeoutMs: how long after the install the terminal may take to report
    // the expected version (it restarts into the new software).
    static Outcome run(quint32 address, const QString& package, const QString& expectedVersion,
                       int timeoutMs);
};
