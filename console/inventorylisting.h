#pragma once

#include "inventory.h"

#include <QString>

#include <vector>

class InventoryQuery;

// "termctl list": the known terminals as a table or as JSON lines.
class InventoryListing
{
public:
    // A header and one aligned line per terminal; times in UTC.
    static QString table(const std::vector<Inventory::Terminal>& terminals);
    // One compact JSON object per terminal, with the report's member names
    // and firstSeen, lastSeen as ISO 8601 UTC times.
    static QString jsonLines(const std::vector<Inventory::Terminal>& terminals);

    // Reads the default inventory and sets output; 1 when it cannot be read.
    static int run(const InventoryQuery& query, bool json, QString& output, QString& error);
};
