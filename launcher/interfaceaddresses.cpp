#include "interfaceaddresses.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>

namespace {

// Calls take(entry) for each IPv4 entry; an interface list that cannot be
// read has no addresses.
template <typename Take>
void forEachIpv4(Take take)
{
    ifaddrs* list = nullptr;
    if (::getifaddrs(&list) != 0)
        return;
    for (const ifaddrs* entry = list; entry; entry = entry->ifa_next) {
        if (entry->ifa_addr && entry->ifa_addr->sa_family == AF_INET)
            take(*entry);
    }
    ::freeifaddrs(list);
}

QString dotted(const ifaddrs& entry)
{
    char text[INET_ADDRSTRLEN] = {};
    const auto* address = reinterpret_cast<const sockaddr_in*>(entry.ifa_addr);
    ::inet_ntop(AF_INET, &address->sin_addr, text, sizeof text);
    return QString::fromLatin1(text);
}

} // namespace

QStringList InterfaceAddresses::ofInterfacesUp()
{
    QStringList addresses;
    forEachIpv4([&](const ifaddrs& entry) {
        if (entry.ifa_flags & IFF_UP)
            addresses.append(dotted(entry));
    });
    return addresses;
}

QStringList InterfaceAddresses::of(const QString& name)
{
    const QByteArray wanted = name.toLocal8Bit();
    QStringList addresses;
    forEachIpv4([&](const ifaddrs& entry) {
        if (wanted == entry.ifa_name)
            addresses.append(dotted(entry));
    });
    return addresses;
}

InterfaceAddresses::Link InterfaceAddresses::link(const char* name)
{
    Link state;
    const int sock = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (sock < 0)
        return state;
    ifreq request{};
    std::strncpy(request.ifr_name, name, IFNAMSIZ - 1);
    // No such interface leaves the flags zero: not running.
    ::ioctl(sock, SIOCGIFFLAGS, &request);
    state.running = request.ifr_flags & IFF_RUNNING;
    const bool hasAddress = ::ioctl(sock, SIOCGIFADDR, &request) == 0;
    const bool hasHardwareAddress = ::ioctl(sock, SIOCGIFHWADDR, &request) == 0;
    ::close(sock);
    state.addressed = hasAddress && hasHardwareAddress;
    return state;
}
