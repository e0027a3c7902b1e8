#include "sandboxtestmain.h"
#include "sourcescan.h"

#include <QFile>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

// The built text table: the launcher finds a text by its row (id - 1), so the
// ids must be dense and unique, every text must exist in both languages, and
// every id the launcher's sources ask for must be in the table.
class TestTextTable : public QObject
{
    Q_OBJECT

    static constexpr int lastId = 123;
    QSqlDatabase db;

    QSet<int> tableIds()
    {
        QSet<int> ids;
        QSqlQuery query(QStringLiteral("select ID from language"), db);
        while (query.next())
            ids.insert(query.value(0).toInt());
        return ids;
    }

    // "file:line: id N" for each getLanguage(N) in the sources under dir
    // whose N is not in the table.
    QStringList missingIds(const QString& dir)
    {
        static const QRegularExpression call(QStringLiteral("getLanguage\\s*\\(\\s*(\\d+)\\s*\\)"));
        const QSet<int> ids = tableIds();
        QStringList missing;
        const QList<SourceScan::Match> uses =
            SourceScan::find(dir, {QStringLiteral("*.cpp"), QStringLiteral("*.h")}, call, &missing);
        for (const SourceScan::Match& use : uses) {
            if (!ids.contains(use.captured.toInt()))
                missing.append(use.where + QStringLiteral(": id ") + use.captured);
        }
        return missing;
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(QFile::exists(QStringLiteral(TERMINAL_LANGUAGE_DB)), TERMINAL_LANGUAGE_DB);
        db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"));
        db.setDatabaseName(QStringLiteral(TERMINAL_LANGUAGE_DB));
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        QVERIFY(db.open());
    }

    void idsAreDenseAndUnique()
    {
        QSqlQuery query(QStringLiteral("select ID, typeof(ID) from language order by ID asc"), db);
        QVERIFY(query.isActive());
        int expected = 1;
        while (query.next()) {
            QCOMPARE(query.value(1).toString(), QStringLiteral("integer"));
            QCOMPARE(query.value(0).toInt(), expected);
            ++expected;
        }
        QCOMPARE(expected - 1, lastId);
    }

    void everyTextExistsInBothLanguages()
    {
        // Figures and language names read the same in both columns; any
        // other Chinese text without a Chinese character is untranslated.
        const QSet<int> languageNeutral{41, 42, 43, 44, 45};
        static const QRegularExpression han(QStringLiteral("\\p{Han}"));
        QSqlQuery query(QStringLiteral("select ID, Chinese, English from language"), db);
        QVERIFY(query.isActive());
        while (query.next()) {
            const int id = query.value(0).toInt();
            const QString chinese = query.value(1).toString();
            const QString english = query.value(2).toString();
            QVERIFY2(!chinese.trimmed().isEmpty(), qPrintable(QStringLiteral("id %1 Chinese").arg(id)));
            QVERIFY2(!english.trimmed().isEmpty(), qPrintable(QStringLiteral("id %1 English").arg(id)));
            if (!languageNeutral.contains(id))
                QVERIFY2(chinese.contains(han), qPrintable(QStringLiteral("id %1: %2").arg(id).arg(chinese)));
        }
    }

    void everyIdTheLauncherUsesExists()
    {
        const QStringList missing = missingIds(QStringLiteral(LAUNCHER_SOURCE_DIR));
        QVERIFY2(missing.isEmpty(), qPrintable(missing.join(QLatin1Char('\n'))));
    }

    void anUnknownIdInASourceIsReported()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QVERIFY(Sandbox::writeFile(dir.filePath(QStringLiteral("pages/page.cpp")),
                                   "label->setText(ta->getLanguage(12));\n"
                                   "box(ta->getLanguage( 999 ), ta->getLanguage(0));\n"));
        QVERIFY(Sandbox::writeFile(dir.filePath(QStringLiteral("page.h")), "// getLanguage(7)\n"));
        const QString page = dir.filePath(QStringLiteral("pages/page.cpp"));
        QCOMPARE(missingIds(dir.path()), (QStringList{page + QStringLiteral(":2: id 999"),
                                                      page + QStringLiteral(":2: id 0")}));
    }
};

SANDBOX_TEST_MAIN(TestTextTable)
#include "tst_texttable.moc"
