#pragma once

#include "inventoryquery.h"
#include "wakeonlan.h"

#include <QString>
#include <QStringList>

#include <map>
#include <string>
#include <vector>

// What one run of termctl has to do, read from its arguments. Parsing needs
// no socket: a request comes out ready to send, or an error text that names
// the offending argument, so a bad command line never reaches the network.
class CommandLine
{
public:
    enum class Action {
        Help,     // usage text asked for
        Usage,    // no arguments at all: usage text as the error
        Invalid,  // see error
        Discover, // send the request, then collect reports
        Send,     // send the request, no answer expected
        SetRdp,   // settings: fill the gaps from the terminal's report, then send
        Screenshot, // TCP: fetch a screenshot into localPath
        Upload,     // TCP: send the package localPath
        Update,     // TCP: install the uploaded package
        Get,        // TCP: fetch remotePath into localPath
        Serve,      // the web dashboard on listenAddress:listenPort
        List,       // the inventory's terminals that match query
        Wake,       // Wake-on-LAN packets as wake asks
        Probe,      // TCP: why each of addresses answers or not
        Rollout,    // TCP: install the package localPath on addresses
    };

    static constexpr quint32 LimitedBroadcast = 0xffffffff;
    static constexpr int DefaultWaitMs = 2000;

    // The arguments after the program name.
    static CommandLine parse(const QStringList& arguments);
    static QString usage();

    Action action = Action::Invalid;
    QString error;
    quint32 destination = LimitedBroadcast; // host order
    std::vector<quint32> destinations;      // discover: each gets the request
    int waitMs = DefaultWaitMs;             // discover; probe, rollout: time-out
    bool json = false;                      // discover, list, probe
    std::string key;                        // the request packet
    std::string content;
    QString localPath;                      // screenshot, get: output; upload: package
    std::string remotePath;                 // get only
    // set-rdp: the values given, as bytes, by request member ("RDP_IP",
    // "RDP_USER", "RDP_PASSWORD", "RDP_PORT"); a value left out is absent.
    std::map<std::string, std::string> settings;
    QString passwordFile;                   // set-rdp: "-" is standard input; serve
    quint32 listenAddress = 0x7f000001;     // serve only, host order
    quint16 listenPort = 8080;              // serve only
    InventoryQuery query;                   // list only
    WakeRequest wake;                       // wake only
    std::vector<quint32> addresses;         // probe, rollout: subnets expanded
    int parallel = 0;                       // probe: probes in flight at most
    bool allKnown = false;                  // rollout: the inventory's terminals
    int batch = 0;                          // rollout
    int maxFailures = 0;                    // rollout
    QString expectVersion;                  // rollout
};
