// Stand-in until the inventory branch is merged; removed before hand-over.
#include "inventory.h"

#include <QStandardPaths>

QString Inventory::defaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + "/inventory.sqlite";
}
Inventory::Inventory(const QString&) {}
bool Inventory::open(QString&) { return true; }
bool Inventory::record(const TerminalInfo&, const QDateTime&, QString&) { return true; }
std::vector<Inventory::Terminal> Inventory::terminals(QString&) const { return {}; }
