#pragma once

#include <QStringList>

// The terminal's IPv4 addresses as dotted text, read with getifaddrs(3):
// the same walk as Qt's network interface listing (interfaces in the
// kernel's order, each one's addresses in order), without linking the Qt
// network module and its Kerberos and proxy libraries into the launcher,
// which cost every start milliseconds and more than a megabyte for these
// two look-ups. The state of one link is read with ioctl(2).
class InterfaceAddresses
{
public:
    // What the kernel tells of an interface: whether its link is running (a
    // cable is in, or the Wi-Fi is associated), and whether it has an
    // address and a hardware address. No such interface: neither.
    struct Link
    {
        bool running = false;
        bool addressed = false;

        bool usable() const { return running && addressed; }
    };
    static Link link(const char* name);


    // The addresses of every interface that is up, loopback included.
    static QStringList ofInterfacesUp();
    // The addresses of the interface called name, up or not.
    static QStringList of(const QString& name);
};
