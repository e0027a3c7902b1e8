#include "rolloutrecord.h"

#include <QDateTime>
#include <QSqlError>
#include <QSqlQuery>

namespace {

const char* const Schema = "CREATE TABLE IF NOT EXISTS rollout_results ("
                           " package_sha256 TEXT NOT NULL, expected_version TEXT NOT NULL,"
                           " address INTEGER NOT NULL, terminal_id TEXT, result TEXT NOT NULL,"
                           " reported_version TEXT, detail TEXT, finished_at TEXT NOT NULL,"
                           " PRIMARY KEY (package_sha256, expected_version, address))";

} // namespace

RolloutRecord::RolloutRecord(const QString& databasePath)
    : m_database(databasePath)
{ }

bool RolloutRecord::open(QString& error)
{
    return m_database.open(Schema, error);
}

bool RolloutRecord::done(const QString& packageSha256, const QString& version,
                         std::map<quint32, Entry>& entries, QString& error) const
{
    QSqlQuery query(m_database.database());
    query.prepare(QStringLiteral(
        "SELECT address, terminal_id, result, reported_version, detail FROM rollout_results"
        " WHERE package_sha256 = ? AND expected_version = ? AND result != 'failed'"));
    query.addBindValue(packageSha256);
    query.addBindValue(version);
    if (!query.exec()) {
        error = InventoryDatabase::failure(
            QStringLiteral("cannot read the rollout table in %1").arg(m_database.path()),
            query.lastError());
        return false;
    }
    while (query.next())
        entries[quint32(query.value(0).toLongLong())] = {
            query.value(1).toString(), query.value(2).toString(), query.value(3).toString(),
            query.value(4).toString()};
    return true;
}

bool RolloutRecord::store(const QString& packageSha256, const QString& version, quint32 address,
                          const Entry& entry, QString& error)
{
    QSqlQuery query(m_database.database());
    query.prepare(
        QStringLiteral("INSERT OR REPLACE INTO rollout_results VALUES (?, ?, ?, ?, ?, ?, ?, ?)"));
    for (const QVariant& value :
         {QVariant(packageSha256), QVariant(version), QVariant(qint64(address)), QVariant(entry.id),
          QVariant(entry.result), QVariant(entry.version), QVariant(entry.detail),
          QVariant(QDateTime::currentDateTimeUtc().toString(Qt::ISODate))})
        query.addBindValue(value);
    if (query.exec())
        return true;
    error = InventoryDatabase::failure(
        QStringLiteral("cannot record the result in %1").arg(m_database.path()), query.lastError());
    return false;
}
