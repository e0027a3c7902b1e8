#pragma once

#include "serverprofile.h"

// Connecting to a server: the profile shown is saved and becomes the current
// connection, the network is checked, then the session script starts. The
// session script reads the current-connection file, so nothing is started
// unless that file now holds the profile shown.
class ConnectFlow
{
public:
    enum class Saved { Refused, WriteFailed, InPlace };

    // Refused: the address is no profile name (empty, or it would leave the
    // profile directory); nothing is written. WriteFailed: the profile or the
    // current-connection file could not be written. Writes count lines.
    static Saved save(const ServerProfile::Record& profile, int count);

    // 0 go, 1 the ping failed, 2 no usable interface. With messages, a
    // failure is shown in a box.
    static int checkNetwork(bool withMessages);

    static void startSession();
};
