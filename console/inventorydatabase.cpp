#include "inventorydatabase.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>
#include <QVariant>

#include <atomic>

InventoryDatabase::InventoryDatabase(const QString& path)
    : m_path(path)
{
    // Connections are named per object: a rollout opens one on each thread.
    static std::atomic<int> instances {0};
    m_connection = QStringLiteral("inventory-%1").arg(++instances);
}

InventoryDatabase::~InventoryDatabase()
{
    {
        QSqlDatabase database = QSqlDatabase::database(m_connection, false);
        database.close();
    }
    QSqlDatabase::removeDatabase(m_connection);
}

bool InventoryDatabase::open(const char* schema, QString& error)
{
    if (!QDir().mkpath(QFileInfo(m_path).absolutePath())) {
        error = QStringLiteral("cannot create the folder of %1").arg(m_path);
        return false;
    }
    QSqlDatabase database = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
    if (!database.isValid()) {
        error = QStringLiteral("the Qt SQLite driver is not installed");
        return false;
    }
    database.setDatabaseName(m_path);
    database.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(BusyTimeoutMs));
    if (!database.open()) {
        error = failure(QStringLiteral("cannot open %1").arg(m_path), database.lastError());
        return false;
    }
    QSqlQuery query(database);
    // The switch needs the file to itself, and SQLite answers "busy" at once
    // rather than wait while another termctl creates the same new file: it is
    // tried again for as long as a writer would wait. Once made, the mode is
    // kept in the file and later opens do not contend.
    QDeadlineTimer deadline(BusyTimeoutMs);
    bool wal = false;
    while (!(wal = query.exec(QStringLiteral("PRAGMA journal_mode=WAL")) && query.next()
                 && query.value(0).toString() == QLatin1String("wal"))
           && !deadline.hasExpired())
        QThread::msleep(20);
    if (!wal) {
        error =
            failure(QStringLiteral("cannot switch %1 to WAL mode").arg(m_path), query.lastError());
        return false;
    }
    if (!query.exec(QLatin1String(schema))) {
        error =
            failure(QStringLiteral("cannot create a table in %1").arg(m_path), query.lastError());
        return false;
    }
    return true;
}

QSqlDatabase InventoryDatabase::database() const
{
    return QSqlDatabase::database(m_connection, false);
}

QString InventoryDatabase::failure(const QString& what, const QSqlError& error)
{
    return QStringLiteral("%1: %2").arg(what, error.text());
}
