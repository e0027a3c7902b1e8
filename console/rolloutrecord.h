#pragma once

#include "inventorydatabase.h"

#include <QString>
#include <QtGlobal>

#include <map>

// Where each terminal stands in a rollout, kept in a table of the console's
// inventory database so that a rollout cut short (a failure limit, a
// Ctrl+C, a lost console) picks up where it stopped. A rollout is one
// package (its SHA-256) for one expected version.
class RolloutRecord
{
public:
    struct Entry
    {
        QString id;      // the terminal's, as it reported it
        QString result;  // "current", "updated" or "failed"
        QString version; // the version it last reported
        QString detail;
    };

    explicit RolloutRecord(const QString& databasePath);

    // Opens the database, creating it and the table when missing.
    bool open(QString& error);
    // The terminals (by address, host order) this rollout already brought to
    // its version.
    bool done(const QString& packageSha256, const QString& version,
              std::map<quint32, Entry>& entries, QString& error) const;
    // Records the latest result of one terminal, replacing the one before.
    bool store(const QString& packageSha256, const QString& version, quint32 address,
               const Entry& entry, QString& error);

private:
    InventoryDatabase m_database;
};
