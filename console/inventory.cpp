#include "inventory.h"

#include "macaddress.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QVariant>

namespace {

// The columns after the key, in the order of Inventory::Terminal.
constexpr const char* Texts[] = {"id",  "hostName", "model",   "version", "ip",
                                 "mac", "rdpIp",    "rdpPort", "rdpUser"};

const char* const Schema = "CREATE TABLE IF NOT EXISTS terminals ("
                           "key BLOB PRIMARY KEY, id BLOB, hostName BLOB, model BLOB, "
                           "version BLOB, ip BLOB, mac BLOB, rdpIp BLOB, rdpPort BLOB, "
                           "rdpUser BLOB, firstSeen INTEGER NOT NULL, lastSeen INTEGER NOT NULL)";

const char* const Upsert =
    "INSERT INTO terminals (key, id, hostName, model, version, ip, mac, rdpIp, rdpPort, rdpUser, "
    "firstSeen, lastSeen) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?) "
    "ON CONFLICT (key) DO UPDATE SET id = excluded.id, hostName = excluded.hostName, "
    "model = excluded.model, version = excluded.version, ip = excluded.ip, mac = excluded.mac, "
    "rdpIp = excluded.rdpIp, rdpPort = excluded.rdpPort, rdpUser = excluded.rdpUser, "
    "lastSeen = excluded.lastSeen WHERE excluded.lastSeen >= terminals.lastSeen";

// Ids and MACs live in separate key spaces, so an id that happens to read
// as a MAC never merges two terminals.
QByteArray key(const TerminalInfo& report)
{
    if (!report.id.empty())
        return "id:" + QByteArray::fromStdString(report.id);
    if (report.mac.empty())
        return QByteArray();
    const auto mac = MacAddress::parse(report.mac);
    return "mac:" + QByteArray::fromStdString(mac ? MacAddress::text(*mac) : report.mac);
}

} // namespace

QString Inventory::defaultPath()
{
    // What AppDataLocation is for termctl, whichever program links the library.
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
        + QStringLiteral("/termctl/inventory.sqlite");
}

Inventory::Inventory(const QString& path)
    : m_database(path)
{ }

bool Inventory::open(QString& error)
{
    return m_database.open(Schema, error);
}

bool Inventory::record(const TerminalInfo& report, const QDateTime& heardAt, QString& error)
{
    return record(std::vector<TerminalInfo> {report}, heardAt, error);
}

bool Inventory::record(const std::vector<TerminalInfo>& reports, const QDateTime& heardAt,
                       QString& error)
{
    QSqlQuery query(m_database.database());
    // Immediate: a deferred transaction that turns into a write can fail at
    // once on another writer's lock instead of waiting for it.
    if (!query.exec(QStringLiteral("BEGIN IMMEDIATE"))) {
        error = InventoryDatabase::failure(
            QStringLiteral("cannot write to %1").arg(m_database.path()), query.lastError());
        return false;
    }
    query.prepare(QLatin1String(Upsert));
    const qint64 time = heardAt.toMSecsSinceEpoch();
    QStringList unnamed;
    for (const TerminalInfo& report : reports) {
        const QByteArray terminal = key(report);
        if (terminal.isEmpty()) {
            unnamed << QString::fromLatin1(report.ip);
            continue;
        }
        query.addBindValue(terminal);
        for (const std::string* text :
             {&report.id, &report.hostName, &report.model, &report.version, &report.ip, &report.mac,
              &report.rdpIp, &report.rdpPort, &report.rdpUser})
            query.addBindValue(QByteArray::fromStdString(*text));
        query.addBindValue(time);
        query.addBindValue(time);
        if (!query.exec()) {
            error = InventoryDatabase::failure(
                QStringLiteral("cannot write to %1").arg(m_database.path()), query.lastError());
            query.exec(QStringLiteral("ROLLBACK"));
            return false;
        }
    }
    if (!query.exec(QStringLiteral("COMMIT"))) {
        error = InventoryDatabase::failure(
            QStringLiteral("cannot write to %1").arg(m_database.path()), query.lastError());
        query.exec(QStringLiteral("ROLLBACK"));
        return false;
    }
    if (!unnamed.isEmpty()) {
        error = QStringLiteral("reports with neither id nor MAC not recorded (from %1)")
                    .arg(unnamed.join(QStringLiteral(", ")));
        return false;
    }
    return true;
}

std::vector<Inventory::Terminal> Inventory::terminals(QString& error) const
{
    QSqlQuery query(m_database.database());
    QStringList columns;
    for (const char* column : Texts)
        columns << QLatin1String(column);
    if (!query.exec(QStringLiteral("SELECT %1, firstSeen, lastSeen FROM terminals")
                        .arg(columns.join(QStringLiteral(", "))))) {
        error = InventoryDatabase::failure(QStringLiteral("cannot read %1").arg(m_database.path()),
                                           query.lastError());
        return {};
    }
    std::vector<Terminal> terminals;
    while (query.next()) {
        Terminal terminal;
        std::string* texts[] = {&terminal.id,      &terminal.hostName, &terminal.model,
                                &terminal.version, &terminal.ip,       &terminal.mac,
                                &terminal.rdpIp,   &terminal.rdpPort,  &terminal.rdpUser};
        int column = 0;
        for (std::string* text : texts)
            *text = query.value(column++).toByteArray().toStdString();
        terminal.firstSeen =
            QDateTime::fromMSecsSinceEpoch(query.value(column++).toLongLong(), Qt::UTC);
        terminal.lastSeen =
            QDateTime::fromMSecsSinceEpoch(query.value(column).toLongLong(), Qt::UTC);
        terminals.push_back(std::move(terminal));
    }
    return terminals;
}
