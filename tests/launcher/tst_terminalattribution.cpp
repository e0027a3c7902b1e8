#include "launchermessagebox.h"
#include "launchertest.h"
#include "terminalattribution.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>

namespace {
const QString database = QStringLiteral("/opt/zoderer/configs/database/language.db");
const QString peripheral = QStringLiteral("/opt/zoderer/configs/peripheral/peripheralconfig");

// A fresh instance, as at the next start of the program.
TerminalAttribution* restart()
{
    delete TerminalAttribution::getInstance();
    return TerminalAttribution::getInstance();
}
}

class TestTerminalAttribution : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(LauncherFixture::writeLanguageDb(121));
    }

    void languageComesFromTheFourthPeripheralLine_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("language");
        QTest::newRow("0 English") << QByteArray("50\n0\n1\n0\n1\n") << "English";
        QTest::newRow("1 Chinese") << QByteArray("50\n0\n1\n1\n1\n") << "Chinese";
        QTest::newRow("10 English") << QByteArray("x\nx\nx\n10\n") << "English";
        QTest::newRow("empty line") << QByteArray("0\n0\n0\n\n0\n") << "Chinese";
        QTest::newRow("other") << QByteArray("0\n0\n0\n2\n") << "Chinese";
        QTest::newRow("missing file") << QByteArray() << "Chinese";
    }

    void languageComesFromTheFourthPeripheralLine()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, language);
        QFile::remove(peripheral);
        if (!file.isEmpty())
            QVERIFY(Sandbox::writeFile(peripheral, file));
        TerminalAttribution* texts = restart();
        QCOMPARE(g_strLanguage, language);
        QCOMPARE(texts->getLanguage(1), language == "English" ? QString("en 1") : QString("zh 1"));
    }

    void lookupPositionsOnTheIdRow()
    {
        QVERIFY(Sandbox::writeFile(peripheral, "0\n0\n0\n0\n"));
        TerminalAttribution* texts = restart();
        QCOMPARE(texts->getLanguage(1), QString("en 1"));
        QCOMPARE(texts->getLanguage(57), QString("en 57"));
        QCOMPARE(texts->getLanguage(121), QString("en 121"));
        // Backwards after forwards: the result set is not read only once.
        QCOMPARE(texts->getLanguage(2), QString("en 2"));
        QCOMPARE(texts->getLanguage(0), QString());
        QCOMPARE(texts->getLanguage(-3), QString());
        QCOMPARE(texts->getLanguage(122), QString());
    }

    void onlyPlainColumnNamesAreQueried()
    {
        TerminalAttribution* texts = restart();
        QVERIFY(!texts->setLanguageType("English from language; drop table language; select English"));
        QCOMPARE(texts->getLanguage(1), QString());
        QVERIFY(!texts->setLanguageType(QString(91, QLatin1Char('E'))));
        QVERIFY(!texts->setLanguageType("French"));
        QCOMPARE(texts->getLanguage(1), QString());
        QVERIFY(texts->setLanguageType("Chinese"));
        QCOMPARE(texts->getLanguage(1), QString("zh 1"));
    }

    // A database that cannot be opened is reported once; the launcher then
    // runs with empty texts, and no empty database is left behind.
    void missingDatabaseShowsOneErrorBox()
    {
        QVERIFY(QFile::rename(database, database + ".away"));
        MessageBoxAnswerer answerer(QMessageBox::Ok);
        TerminalAttribution* texts = restart();
        QCOMPARE(answerer.boxes.size(), 1);
        QCOMPARE(answerer.boxes.first().title, QString("ERROR"));
        QCOMPARE(answerer.boxes.first().text, QString("Failed to open the language database !"));
        QCOMPARE(texts->getLanguage(1), QString());
        QCOMPARE(texts->getLanguage(5), QString());
        QCOMPARE(answerer.boxes.size(), 1);
        QVERIFY(!QFile::exists(database));
        QVERIFY(QFile::rename(database + ".away", database));
    }

    // The boxes' buttons read in the UI's language; Escape answers as No or
    // Cancel, or as the only button.
    void messageBoxButtonsComeFromTheTable_data()
    {
        QTest::addColumn<int>("buttons");
        QTest::addColumn<QStringList>("captions");
        QTest::addColumn<int>("onEscape");
        QTest::newRow("yes") << int(QMessageBox::Yes) << QStringList{"zh 109"} << int(QMessageBox::Yes);
        QTest::newRow("yes no") << int(QMessageBox::Yes | QMessageBox::No) << QStringList{"zh 109", "zh 110"}
                                << int(QMessageBox::No);
        QTest::newRow("ok cancel") << int(QMessageBox::Ok | QMessageBox::Cancel)
                                   << QStringList{"zh 108", "zh 118"} << int(QMessageBox::Cancel);
    }

    void messageBoxButtonsComeFromTheTable()
    {
        QFETCH(int, buttons);
        QFETCH(QStringList, captions);
        QFETCH(int, onEscape);
        QVERIFY(Sandbox::writeFile(peripheral, "0\n0\n0\n1\n"));
        restart();
        MessageBoxAnswerer answerer;
        const QMessageBox::StandardButton answer =
            LauncherMessageBox::information("text", QMessageBox::StandardButtons(buttons));
        QCOMPARE(int(answer), onEscape);
        QCOMPARE(answerer.boxes.size(), 1);
        QStringList shown = answerer.boxes.first().buttons;
        shown.sort();
        QCOMPARE(shown, captions);
    }

    void databaseWithoutTableGivesEmptyTextsSilently()
    {
        QVERIFY(QFile::rename(database, database + ".away"));
        QVERIFY(Sandbox::writeFile(database, QByteArray()));
        MessageBoxAnswerer answerer(QMessageBox::Ok);
        TerminalAttribution* texts = restart();
        QCOMPARE(texts->getLanguage(1), QString());
        // The table's error box is modal: it is answered before the table is made.
        QVERIFY(answerer.boxes.isEmpty());
        QVERIFY(QFile::remove(database));
        QVERIFY(QFile::rename(database + ".away", database));
    }
};

SANDBOX_GUI_TEST_MAIN(TestTerminalAttribution)
#include "tst_terminalattribution.moc"
