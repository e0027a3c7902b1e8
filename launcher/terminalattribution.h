#pragma once

#include <QString>

class QSqlDatabase;
class QSqlQuery;

// The language the text table is read in; also the name of its column.
extern QString g_strLanguage;

// The process-wide text table: every visible launcher text is looked up here
// by its integer id in the column of the configured language.
class TerminalAttribution
{
public:
    // The instance, created on first use. Deleting it is allowed; the next
    // call creates a new one.
    static TerminalAttribution* getInstance();

    // The text for id in the current language, or an empty string.
    QString getLanguage(int id);

    // Re-runs the language query for the named column; returns whether it ran.
    bool setLanguageType(const QString& language);

    ~TerminalAttribution();

    TerminalAttribution(const TerminalAttribution&) = delete;
    TerminalAttribution& operator=(const TerminalAttribution&) = delete;

private:
    TerminalAttribution();

    static TerminalAttribution* ta;
    QSqlDatabase* m_database = nullptr;
    QSqlQuery* m_query = nullptr;
    bool m_queryReady = false;
};
