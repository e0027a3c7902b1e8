#include "inventoryrecorder.h"

#include "inventory.h"
#include "reporttable.h"

#include <cstdio>

void InventoryRecorder::keep(const ReportTable& reports)
{
    if (reports.empty())
        return;
    Inventory inventory;
    QString error;
    if (!inventory.open(error)
        || !inventory.record(reports.terminals(), QDateTime::currentDateTimeUtc(), error))
        std::fprintf(stderr, "termctl: warning: inventory: %s\n", error.toLocal8Bit().constData());
}
