#pragma once

#include "inventory.h"
#include "subnet.h"

#include <QDateTime>
#include <QString>

#include <optional>
#include <string>
#include <vector>

// Which of the known terminals "termctl list" shows, and in what order.
class InventoryQuery
{
public:
    enum class Sort { Ip, Id, Host, Version, LastSeen };
    // "id", "host", "ip", "version", "last-seen".
    static std::optional<Sort> sortNamed(const QString& name);

    std::optional<int> offlineMinutes; // only those not heard for that long
    std::optional<Subnet> subnet; // only those whose last address is in it
    std::optional<std::string> version; // only those reporting this version (any build)
    Sort sort = Sort::Ip;

    // Addresses sort by value, those that are none last; texts by their
    // bytes; last-seen from the longest silent. Ties keep the address order.
    std::vector<Inventory::Terminal> select(std::vector<Inventory::Terminal> terminals,
                                            const QDateTime& now) const;
};
