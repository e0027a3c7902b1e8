// Build tool: turns the tab-separated text table into the SQLite file the
// launchers read (table language: ID, Chinese, English).
//
//   makelanguagedb SOURCE.tsv OUTPUT.db
//
// A malformed table fails the build instead of reaching the terminal: every
// text line needs an id, a Chinese and an English text, and the ids must run
// 1, 2, 3... without gap or repeat, since the launcher finds a text by its row.

#include <QCoreApplication>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QTextStream>

#include <cstdio>

namespace {

const QString connectionName = QStringLiteral("table");

struct Text
{
    int id = 0;
    QString chinese;
    QString english;
};

bool fail(const QString& message)
{
    std::fprintf(stderr, "makelanguagedb: %s\n", qUtf8Printable(message));
    return false;
}

bool readTable(const QString& path, QList<Text>& texts)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return fail(QStringLiteral("cannot read %1: %2").arg(path, file.errorString()));
    QTextStream in(&file);
    in.setEncoding(QStringConverter::Utf8);
    int lineNumber = 0;
    while (!in.atEnd()) {
        const QString line = in.readLine();
        ++lineNumber;
        if (line.trimmed().isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const QString where = QStringLiteral("%1:%2: ").arg(path).arg(lineNumber);
        const QStringList fields = line.split(QLatin1Char('\t'));
        if (fields.size() < 3 || fields.size() > 4)
            return fail(where + QStringLiteral("expected ID, Chinese, English and an optional comment, "
                                               "separated by tabs"));
        bool number = false;
        const int id = fields[0].toInt(&number);
        if (!number)
            return fail(where + QStringLiteral("the id \"%1\" is not a number").arg(fields[0]));
        if (id != texts.size() + 1)
            return fail(where + QStringLiteral("id %1 where %2 was expected: ids run from 1 without gaps")
                                    .arg(id)
                                    .arg(texts.size() + 1));
        const Text text{id, fields[1].trimmed(), fields[2].trimmed()};
        if (text.chinese.isEmpty() || text.english.isEmpty())
            return fail(where + QStringLiteral("id %1 lacks a text").arg(id));
        texts.append(text);
    }
    if (texts.isEmpty())
        return fail(path + QStringLiteral(": no texts"));
    return true;
}

bool writeDatabase(QSqlDatabase& db, const QList<Text>& texts)
{
    if (!db.open())
        return fail(QStringLiteral("cannot create %1: %2").arg(db.databaseName(), db.lastError().text()));
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("create table language (ID integer primary key, Chinese text, English text)")))
        return fail(query.lastError().text());
    if (!db.transaction())
        return fail(db.lastError().text());
    query.prepare(QStringLiteral("insert into language (ID, Chinese, English) values (?, ?, ?)"));
    for (const Text& text : texts) {
        query.addBindValue(text.id);
        query.addBindValue(text.chinese);
        query.addBindValue(text.english);
        if (!query.exec())
            return fail(QStringLiteral("id %1: %2").arg(text.id).arg(query.lastError().text()));
    }
    if (!db.commit())
        return fail(db.lastError().text());
    return true;
}

bool build(const QString& source, const QString& output)
{
    QList<Text> texts;
    if (!readTable(source, texts))
        return false;
    // Built beside the target and renamed over it, so an interrupted build
    // never leaves a half-written table behind.
    const QString part = output + QStringLiteral(".part");
    QFile::remove(part);
    bool written = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName);
        db.setDatabaseName(part);
        written = writeDatabase(db, texts);
        db.close();
    }
    QSqlDatabase::removeDatabase(connectionName);
    if (written && std::rename(QFile::encodeName(part).constData(), QFile::encodeName(output).constData()) == 0)
        return true;
    QFile::remove(part);
    return written ? fail(QStringLiteral("cannot rename %1 to %2").arg(part, output)) : false;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() != 3) {
        std::fprintf(stderr, "usage: makelanguagedb SOURCE.tsv OUTPUT.db\n");
        return 2;
    }
    return build(arguments[1], arguments[2]) ? 0 : 1;
}
