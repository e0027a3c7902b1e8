#pragma once

#include <QSqlDatabase>
#include <QString>

class QSqlError;

// One connection to the console's SQLite file, shared by the inventory and
// the rollout record. Several termctl may use the file at once (a discover
// beside a rollout): it is in WAL mode, and a writer waits up to
// BusyTimeoutMs for another's lock instead of failing.
class InventoryDatabase
{
public:
    static constexpr int BusyTimeoutMs = 10000;

    explicit InventoryDatabase(const QString& path);
    ~InventoryDatabase();
    InventoryDatabase(const InventoryDatabase&) = delete;
    InventoryDatabase& operator=(const InventoryDatabase&) = delete;

    const QString& path() const { return m_path; }
    // Creates the file and its folder when missing, then runs schema (a
    // CREATE TABLE IF NOT EXISTS).
    bool open(const char* schema, QString& error);
    QSqlDatabase database() const;
    // "what: the driver's text".
    static QString failure(const QString& what, const QSqlError& error);

private:
    QString m_path;
    QString m_connection;
};
