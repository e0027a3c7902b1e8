#include "inventoryquery.h"

#include "addresscodec.h"
#include "versiontext.h"

#include <algorithm>
#include <limits>

namespace {

quint64 addressOrder(const Inventory::Terminal& terminal)
{
    const auto address = AddressCodec::parse(terminal.ip);
    return address ? *address : std::numeric_limits<quint64>::max();
}

} // namespace

std::optional<InventoryQuery::Sort> InventoryQuery::sortNamed(const QString& name)
{
    const std::pair<const char*, Sort> names[] = {{"ip", Sort::Ip},
                                                  {"id", Sort::Id},
                                                  {"host", Sort::Host},
                                                  {"version", Sort::Version},
                                                  {"last-seen", Sort::LastSeen}};
    for (const auto& [text, sort] : names) {
        if (name == QLatin1String(text))
            return sort;
    }
    return std::nullopt;
}

std::vector<Inventory::Terminal> InventoryQuery::select(std::vector<Inventory::Terminal> terminals,
                                                        const QDateTime& now) const
{
    const QDateTime silentSince =
        offlineMinutes ? now.addSecs(-qint64(*offlineMinutes) * 60) : QDateTime();
    std::erase_if(terminals, [&](const Inventory::Terminal& terminal) {
        if (offlineMinutes && terminal.lastSeen > silentSince)
            return true;
        if (version && !VersionText::matches(terminal.version, *version))
            return true;
        const auto address = AddressCodec::parse(terminal.ip);
        return subnet && !(address && subnet->contains(*address));
    });
    std::stable_sort(terminals.begin(), terminals.end(), [](const auto& a, const auto& b) {
        return addressOrder(a) < addressOrder(b);
    });
    const auto by = [&](auto field) {
        std::stable_sort(terminals.begin(), terminals.end(),
                         [&](const auto& a, const auto& b) { return field(a) < field(b); });
    };
    using T = Inventory::Terminal;
    switch (sort) {
    case Sort::Ip:
        break;
    case Sort::Id:
        by([](const T& t) { return t.id; });
        break;
    case Sort::Host:
        by([](const T& t) { return t.hostName; });
        break;
    case Sort::Version:
        std::stable_sort(terminals.begin(), terminals.end(), [](const T& a, const T& b) {
            return VersionText::less(a.version, b.version);
        });
        break;
    case Sort::LastSeen:
        by([](const T& t) { return t.lastSeen; });
        break;
    }
    return terminals;
}
