#include "wakeonlan.h"

#include "addresscodec.h"
#include "consoleclient.h"

#include <QHostAddress>

#include <algorithm>

namespace {

constexpr quint32 LimitedBroadcast = 0xffffffff;

std::optional<quint32> lastAddress(const Inventory::Terminal& terminal)
{
    return AddressCodec::parse(terminal.ip);
}

} // namespace

QByteArray WakeOnLan::magicPacket(const MacAddress::Bytes& mac)
{
    QByteArray packet(6, char(0xff));
    for (int i = 0; i < 16; ++i)
        packet.append(reinterpret_cast<const char*>(mac.data()), qsizetype(mac.size()));
    return packet;
}

std::vector<WakeOnLan::Packet> WakeOnLan::plan(const WakeRequest& request,
                                               const std::vector<Inventory::Terminal>& known)
{
    std::vector<Packet> packets;
    const auto add = [&](const MacAddress::Bytes& mac, quint32 destination) {
        const Packet packet {mac, request.to.value_or(destination)};
        if (std::find(packets.begin(), packets.end(), packet) == packets.end())
            packets.push_back(packet);
    };
    const auto ownSubnet = [](const Inventory::Terminal& terminal) {
        const auto address = lastAddress(terminal);
        return address ? Subnet(*address, 24).broadcast() : LimitedBroadcast;
    };
    for (const Inventory::Terminal& terminal : known) {
        const auto mac = MacAddress::parse(terminal.mac);
        if (!mac)
            continue;
        const auto address = lastAddress(terminal);
        if (request.subnet && address && request.subnet->contains(*address))
            add(*mac, request.subnet->broadcast());
        if (request.allKnown)
            add(*mac, ownSubnet(terminal));
    }
    for (const MacAddress::Bytes& mac : request.macs) {
        const auto terminal = std::find_if(known.begin(), known.end(), [&](const auto& t) {
            return MacAddress::parse(t.mac) == mac;
        });
        add(mac, terminal == known.end() ? LimitedBroadcast : ownSubnet(*terminal));
    }
    return packets;
}

int WakeOnLan::run(const WakeRequest& request, QString& output, QString& error)
{
    Inventory inventory;
    if (!inventory.open(error))
        return 1;
    const std::vector<Inventory::Terminal> known = inventory.terminals(error);
    if (!error.isEmpty())
        return 1;
    const std::vector<Packet> packets = plan(request, known);
    if (packets.empty()) {
        error = QStringLiteral("the inventory knows no terminal with a MAC %1 ('termctl discover' "
                               "records them)")
                    .arg(request.subnet ? QStringLiteral("in that subnet") : QString())
                    .simplified();
        return 1;
    }
    for (const Packet& packet : packets) {
        if (!ConsoleClient::sendDatagram(magicPacket(packet.mac), packet.destination, Port, error))
            return 1;
        output += QStringLiteral("wake-up packet for %1 sent to %2\n")
                      .arg(QString::fromStdString(MacAddress::text(packet.mac)),
                           QHostAddress(packet.destination).toString());
    }
    return 0;
}
