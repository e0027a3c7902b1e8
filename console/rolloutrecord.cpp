#include "rolloutrecord.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

namespace {

// A console sharing the database (the inventory beside a rollout) holds its
// lock for short moments only.
constexpr const char* BusyTimeout = "QSQLITE_BUSY_TIMEOUT=5000";

QString failure(const QString& what, const QSqlError& error)
{
    return QStringLiteral("%1: %2").arg(what, error.text());
}

} // namespace

RolloutRecord::RolloutRecord(const QString& databasePath)
    : m_path(databasePath),
      m_connection(QStringLiteral("rolloutrecord-%1").arg(quintptr(this)))
{
}

RolloutRecord::~RolloutRecord()
{
    if (QSqlDatabase::contains(m_connection)) {
        QSqlDatabase::database(m_connection, false).close();
        QSqlDatabase::removeDatabase(m_connection);
    }
}

bool RolloutRecord::open(QString& error)
{
    if (!QDir().mkpath(QFileInfo(m_path).absolutePath())) {
        error = QStringLiteral("cannot create the directory of %1").arg(m_path);
        return false;
    }
    QSqlDatabase database = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
    database.setDatabaseName(m_path);
    database.setConnectOptions(QLatin1String(BusyTimeout));
    if (!database.open()) {
        error = failure(QStringLiteral("cannot open %1").arg(m_path), database.lastError());
        return false;
    }
    QSqlQuery query(database);
    if (!query.exec(QStringLiteral(
            "CREATE TABLE IF NOT EXISTS rollout_results ("
            " package_sha256 TEXT NOT NULL, expected_version TEXT NOT NULL,"
            " address INTEGER NOT NULL, terminal_id TEXT, result TEXT NOT NULL,"
            " reported_version TEXT, detail TEXT, finished_at TEXT NOT NULL,"
            " PRIMARY KEY (package_sha256, expected_version, address))"))) {
        error = failure(QStringLiteral("cannot create the rollout table in %1").arg(m_path),
                        query.lastError());
        return false;
    }
    return true;
}

bool RolloutRecord::done(const QString& packageSha256, const QString& version,
                         std::map<quint32, Entry>& entries, QString& error) const
{
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    query.prepare(QStringLiteral(
        "SELECT address, terminal_id, result, reported_version, detail FROM rollout_results"
        " WHERE package_sha256 = ? AND expected_version = ? AND result != 'failed'"));
    query.addBindValue(packageSha256);
    query.addBindValue(version);
    if (!query.exec()) {
        error = failure(QStringLiteral("cannot read the rollout table in %1").arg(m_path),
                        query.lastError());
        return false;
    }
    while (query.next())
        entries[quint32(query.value(0).toLongLong())] = {query.value(1).toString(),
                                                         query.value(2).toString(),
                                                         query.value(3).toString(),
                                                         query.value(4).toString()};
    return true;
}

bool RolloutRecord::store(const QString& packageSha256, const QString& version, quint32 address,
                          const Entry& entry, QString& error)
{
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    query.prepare(QStringLiteral("INSERT OR REPLACE INTO rollout_results VALUES (?, ?, ?, ?, ?, ?, ?, ?)"));
    for (const QVariant& value :
         {QVariant(packageSha256), QVariant(version), QVariant(qint64(address)), QVariant(entry.id),
          QVariant(entry.result), QVariant(entry.version), QVariant(entry.detail),
          QVariant(QDateTime::currentDateTimeUtc().toString(Qt::ISODate))})
        query.addBindValue(value);
    if (query.exec())
        return true;
    error = failure(QStringLiteral("cannot record the result in %1").arg(m_path), query.lastError());
    return false;
}
