#pragma once
// Stand-in until the inventory branch is merged; removed before hand-over.
#include "terminalinfo.h"

#include <QDateTime>
#include <QString>

#include <string>
#include <vector>

class Inventory
{
public:
    static QString defaultPath();
    explicit Inventory(const QString& path = defaultPath());
    bool open(QString& error);
    bool record(const TerminalInfo& report, const QDateTime& heardAt, QString& error);
    struct Terminal { std::string id, hostName, model, version, ip, mac, rdpIp, rdpPort, rdpUser;
                      QDateTime firstSeen, lastSeen; };
    std::vector<Terminal> terminals(QString& error) const;
};
