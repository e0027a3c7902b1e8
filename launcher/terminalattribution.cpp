#include "terminalattribution.h"

#include "devicepaths.h"
#include "linefile.h"

#include <QMessageBox>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>

QString g_strLanguage = QStringLiteral("Chinese");

TerminalAttribution* TerminalAttribution::ta = nullptr;

namespace {
const QString connectionName = QStringLiteral("language");
// The statement is formatted into a 128-byte buffer on the terminal.
constexpr int maxLanguageNameLength = 90;
}

TerminalAttribution* TerminalAttribution::getInstance()
{
    if (!ta)
        ta = new TerminalAttribution;
    return ta;
}

TerminalAttribution::TerminalAttribution()
{
    const QStringList peripheral = LineFile::read(QStringLiteral(PERIPHERALCONFIGFILE), 5);
    const QString flag = peripheral.value(3);
    if (flag.contains(QLatin1Char('0')))
        g_strLanguage = QStringLiteral("English");
    else
        g_strLanguage = QStringLiteral("Chinese");

    m_database = new QSqlDatabase(QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName));
    m_database->setDatabaseName(QStringLiteral(LANGUAGEDBFILE));
    // Opening an absent SQLite file would create an empty one; the table is
    // the terminal's, so a missing file counts as a failure to open.
    m_database->setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
    if (m_database->open()) {
        m_query = new QSqlQuery(*m_database);
        m_queryReady = false;
        setLanguageType(g_strLanguage);
    } else {
        QMessageBox::information(nullptr, QStringLiteral("ERROR"),
                                 QStringLiteral("Failed to open the language database !"),
                                 QMessageBox::Ok);
    }
}

TerminalAttribution::~TerminalAttribution()
{
    if (m_query) {
        m_query->clear();
        delete m_query;
    }
    delete m_database;
    QSqlDatabase::removeDatabase(connectionName);
    // The next getInstance() reads the language choice afresh.
    if (ta == this)
        ta = nullptr;
}

bool TerminalAttribution::setLanguageType(const QString& language)
{
    if (!m_query)
        return false;
    m_query->finish();
    // The name becomes part of the statement, so only a plain column name is accepted.
    static const QRegularExpression columnName(QStringLiteral("\\A[A-Za-z_][A-Za-z0-9_]*\\z"));
    if (language.size() > maxLanguageNameLength || !columnName.match(language).hasMatch()) {
        m_queryReady = false;
        return false;
    }
    m_queryReady = m_query->exec(QStringLiteral("select %1 from language order by ID asc").arg(language));
    return m_queryReady;
}

QString TerminalAttribution::getLanguage(int id)
{
    QString text;
    if (m_queryReady && id > 0 && m_query->seek(id - 1))
        text = m_query->value(0).toString();
    return text;
}
