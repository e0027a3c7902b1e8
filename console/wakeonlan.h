#pragma once

#include "inventory.h"
#include "macaddress.h"
#include "subnet.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

// What "termctl wake" was asked to wake, and where to send the packets.
struct WakeRequest
{
    std::vector<MacAddress::Bytes> macs;
    bool allKnown = false; // every terminal of the inventory
    std::optional<Subnet> subnet; // the inventory's terminals last seen there
    std::optional<quint32> to; // one destination for every packet
};

// Wake-on-LAN: magic packets to UDP port 9 at a directed broadcast, since a
// sleeping terminal has no address of its own to be reached at.
class WakeOnLan
{
public:
    static constexpr quint16 Port = 9;
    static constexpr qsizetype PacketSize = 6 + 16 * 6;

    struct Packet
    {
        MacAddress::Bytes mac;
        quint32 destination; // host order
        bool operator==(const Packet&) const = default;
    };

    // Six 0xff bytes, then the MAC sixteen times.
    static QByteArray magicPacket(const MacAddress::Bytes& mac);

    // One packet per MAC and destination. With --to, every packet goes
    // there. Otherwise a subnet's terminals get its broadcast, a known MAC
    // the broadcast of the /24 of its last address (a terminal without a
    // valid one, and a MAC the inventory does not know, 255.255.255.255).
    static std::vector<Packet> plan(const WakeRequest& request,
                                    const std::vector<Inventory::Terminal>& known);

    // Sends the packets the default inventory gives, naming each in output.
    static int run(const WakeRequest& request, QString& output, QString& error);
};
