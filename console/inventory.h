#pragma once

#include "inventorydatabase.h"
#include "terminalinfo.h"

#include <QDateTime>
#include <QString>

#include <string>
#include <vector>

// Every terminal the console has heard of, kept across runs in an SQLite
// file: what its newest report said (all but the password, which never
// reaches the file) and when it was first and last heard.
// Each write is one immediate transaction, so that of several termctl
// writing at once none loses another's rows.
class Inventory
{
public:
    // $XDG_DATA_HOME/termctl/inventory.sqlite, by default under ~/.local/share.
    static QString defaultPath();
    explicit Inventory(const QString& path = defaultPath());

    const QString& path() const { return m_database.path(); }
    // Creates the file and its folder when missing.
    bool open(QString& error);

    // Records a report heard at that time (upsert). A terminal is known by
    // its id, or by its MAC when it reports an empty id (some never set one);
    // a report with neither cannot be told apart from others and is left
    // out, which the error then says. A report older than the one kept
    // changes nothing.
    bool record(const TerminalInfo& report, const QDateTime& heardAt, QString& error);
    // The same for many reports, in one transaction.
    bool record(const std::vector<TerminalInfo>& reports, const QDateTime& heardAt, QString& error);

    struct Terminal
    {
        std::string id, hostName, model, version, ip, mac, rdpIp, rdpPort, rdpUser;
        QDateTime firstSeen, lastSeen; // UTC
    };
    // Every terminal known, in no particular order; texts are the bytes reported.
    std::vector<Terminal> terminals(QString& error) const;

private:
    InventoryDatabase m_database;
};
