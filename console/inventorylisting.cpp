#include "inventorylisting.h"

#include "inventoryquery.h"
#include "reporttext.h"

#include <QStringList>

#include <json/value.h>

namespace {

QString utc(const QDateTime& time)
{
    return time.toUTC().toString(Qt::ISODateWithMs);
}

// The report's own member names, so that list --json reads like discover --json.
Json::Value object(const Inventory::Terminal& terminal)
{
    Json::Value object(Json::objectValue);
    object["id"] = terminal.id;
    object["hostName"] = terminal.hostName;
    object["model"] = terminal.model;
    object["version"] = terminal.version;
    object["ip"] = terminal.ip;
    object["mac"] = terminal.mac;
    object["RDP_IP"] = terminal.rdpIp;
    object["RDP_PORT"] = terminal.rdpPort;
    object["RDP_USER"] = terminal.rdpUser;
    object["firstSeen"] = utc(terminal.firstSeen).toStdString();
    object["lastSeen"] = utc(terminal.lastSeen).toStdString();
    return object;
}

} // namespace

QString InventoryListing::table(const std::vector<Inventory::Terminal>& terminals)
{
    std::vector<QStringList> rows {{"ID", "HOST", "MODEL", "VERSION", "IP", "MAC", "RDP SERVER",
                                    "RDP PORT", "RDP USER", "FIRST SEEN", "LAST SEEN"}};
    for (const Inventory::Terminal& t : terminals) {
        QStringList cells;
        for (const std::string* text : {&t.id, &t.hostName, &t.model, &t.version, &t.ip, &t.mac,
                                        &t.rdpIp, &t.rdpPort, &t.rdpUser})
            cells << ReportText::printable(*text);
        cells << utc(t.firstSeen) << utc(t.lastSeen);
        rows.push_back(cells);
    }
    return ReportText::aligned(rows);
}

QString InventoryListing::jsonLines(const std::vector<Inventory::Terminal>& terminals)
{
    QString text;
    for (const Inventory::Terminal& terminal : terminals)
        text += ReportText::jsonLine(object(terminal));
    return text;
}

int InventoryListing::run(const InventoryQuery& query, bool json, QString& output, QString& error)
{
    Inventory inventory;
    if (!inventory.open(error))
        return 1;
    std::vector<Inventory::Terminal> known = inventory.terminals(error);
    if (!error.isEmpty())
        return 1;
    known = query.select(std::move(known), QDateTime::currentDateTimeUtc());
    output = json ? jsonLines(known) : table(known);
    return 0;
}
