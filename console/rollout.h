#pragma once

#include "rolloutplan.h"
#include "rolloutrecord.h"

#include <QString>

#include <map>

class CommandLine;

// termctl rollout: brings a fleet to one package, a batch of terminals at a
// time (each terminal of a batch side by side), stops starting batches once
// too many failed, and records every result so that running it again
// carries on where it stopped.
class Rollout
{
public:
    static constexpr int DefaultMaxFailures = 1;
    // A terminal restarts into the new software before it reports again.
    static constexpr int DefaultTimeoutSeconds = 300;

    // termctl's exit status: 0 when every target runs the version, 1 when one
    // failed or was not reached, 2 when the package, the target list or the
    // database cannot be read (nothing sent).
    static int run(const CommandLine& command, const QString& databasePath, QString& error);

    // Address, id, result, version and detail of every target, in order.
    static QString table(const RolloutPlan& plan, const std::map<quint32, RolloutRecord::Entry>& entries);
};
