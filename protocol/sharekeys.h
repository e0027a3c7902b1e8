#pragma once

#include <QtGlobal>

// The packet keys and ports of the share protocol, known alike to the agent
// that answers and to the console that asks.
struct ShareKeys
{
    // Datagrams, both ways: requests from the console, reports from terminals.
    static constexpr quint16 UdpPort = 9800;
    // Stream connections from the console to one agent.
    static constexpr quint16 TcpPort = 9600;

    // The discovery report a terminal broadcasts, and the request for it.
    static constexpr const char* TerminalMsg = "TERMINALMSG";
    static constexpr const char* TerminalMsgRequest = "TERMINALMSG_REQUEST";

    // The other datagram requests.
    static constexpr const char* SetRdpinfoRequest = "SETRDPINFO_REQUEST";
    static constexpr const char* TerminalRebootRequest = "TERMINALREBOOT_REQUEST";
    static constexpr const char* TerminalShutdownRequest = "TERMINALSHUTDOWN_REQUEST";

    // The requests that open a stream connection.
    static constexpr const char* ScreenRequest = "SCREEN_REQUEST";
    static constexpr const char* UploadRequest = "UPLOAD_REQUEST";
    static constexpr const char* OverlayRequest = "OVERLAY_REQUEST";
    static constexpr const char* UpdateRequest = "UPDATE_REQUEST";
    static constexpr const char* FileRequest = "FILE_REQUEST";
};
