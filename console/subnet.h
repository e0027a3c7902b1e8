#pragma once

#include <QtGlobal>

#include <optional>
#include <string_view>

// An IPv4 subnet, as given on the command line ("192.168.1.0/24").
class Subnet
{
public:
    // Host bits are allowed and dropped: "192.168.1.20/24" is 192.168.1.0/24.
    // The address is read as AddressCodec reads it, the prefix is 0..32.
    static std::optional<Subnet> parse(std::string_view cidr);
    Subnet(quint32 address, int prefix);

    bool contains(quint32 address) const { return (address & m_mask) == m_network; }
    // The directed broadcast: every host bit set.
    quint32 broadcast() const { return m_network | ~m_mask; }

private:
    quint32 m_mask;
    quint32 m_network;
};
