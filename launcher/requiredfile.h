#pragma once

#include <QString>

// Some files the launcher cannot go on without (the network mode file, the
// Wi-Fi exchange files): when one cannot be opened the launcher logs why and
// ends with the status its caller gives. This is the one place that ends it,
// so that tests can put their own ending in place and stay in one process.
class RequiredFile
{
public:
    using Ending = void (*)(int status);

    // Logs the message (launcher-lite to its debug log) and ends the
    // launcher. Returns only when a test replaced the ending, so callers
    // return at once after it.
    static void missing(const QString& message, int status);

    // Replaces the ending; nullptr restores the real one (std::exit).
    static void setEnding(Ending ending);
};
