#pragma once

#include <QString>

// The terminal's remote-desktop settings as the device keeps them.
struct RDP_Info
{
    QString serverAddress;
    int port = -1;
    QString user;
    QString password;
};
