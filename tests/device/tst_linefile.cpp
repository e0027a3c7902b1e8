#include "linefile.h"
#include "sandboxtestmain.h"

#include <QDir>
#include <QFile>
#include <QTest>

namespace {
const QString dir = QStringLiteral("/opt/linefile");
}

class TestLineFile : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QDir(dir).removeRecursively();
        QDir().mkpath(dir);
    }

    void readPadsMissingLinesAndStopsAtCount()
    {
        bool opened = true;
        QCOMPARE(LineFile::read(dir + "/missing", 3, &opened), QStringList({"", "", ""}));
        QVERIFY(!opened);

        QVERIFY(Sandbox::writeFile(dir + "/short", "one\r\ntwo"));
        QCOMPARE(LineFile::read(dir + "/short", 4, &opened), QStringList({"one", "two", "", ""}));
        QVERIFY(opened);

        QVERIFY(Sandbox::writeFile(dir + "/long", "1\n2\n3\n4\n5\n6\n7\n8\n9\n"));
        QCOMPARE(LineFile::read(dir + "/long", 7), QStringList({"1", "2", "3", "4", "5", "6", "7"}));
    }

    void writeReplacesTheWholeFileWithExactBytes()
    {
        QVERIFY(Sandbox::writeFile(dir + "/f", "a much longer old content\nwith lines\nand more\n"));
        QVERIFY(LineFile::write(dir + "/f", {"10.0.0.1", "", "pass word", "中文"}));
        QCOMPARE(Sandbox::readFile(dir + "/f"), QByteArray("10.0.0.1\n\npass word\n\xe4\xb8\xad\xe6\x96\x87\n"));
        QVERIFY(LineFile::write(dir + "/f", {"0"}));
        QCOMPARE(Sandbox::readFile(dir + "/f"), QByteArray("0\n"));
        // Nothing is left beside the file.
        QCOMPARE(QDir(dir).entryList(QDir::Files | QDir::Hidden), QStringList({"f"}));
    }

    void writeIntoMissingDirectoryFails()
    {
        QVERIFY(!LineFile::write(dir + "/none/f", {"x"}));
        QVERIFY(!QFile::exists(dir + "/none"));
    }

    // A reader that has the old file open keeps seeing it whole: the new
    // content goes to a new file that replaces the old one by rename.
    void writeNeverChangesTheOldFileInPlace()
    {
        QVERIFY(Sandbox::writeFile(dir + "/f", "old 1\nold 2\n"));
        QFile reader(dir + "/f");
        QVERIFY(reader.open(QIODevice::ReadOnly));
        QVERIFY(LineFile::write(dir + "/f", {"new"}));
        QCOMPARE(reader.readAll(), QByteArray("old 1\nold 2\n"));
        QCOMPARE(Sandbox::readFile(dir + "/f"), QByteArray("new\n"));
    }

    // A write that cannot complete (here: the disk is full) leaves the old
    // file as it was instead of a truncated one.
    void failedWriteKeepsTheOldFile()
    {
        const QString small = dir + "/small";
        QDir().mkpath(small);
        QCOMPARE(Sandbox::run("mount", {"-t", "tmpfs", "-o", "size=16k", "linefile-small", small}), 0);
        QVERIFY(Sandbox::writeFile(small + "/f", "old\n"));
        // dd ends with an error once the file system is full.
        QVERIFY(Sandbox::run("dd", {"if=/dev/zero", "of=" + small + "/filler", "bs=1k"}) != 0);
        const QStringList big(64, QString(100, QLatin1Char('y')));
        QVERIFY(!LineFile::write(small + "/f", big));
        QVERIFY(!LineFile::write(small + "/f", {"short"}));
        QCOMPARE(Sandbox::readFile(small + "/f"), QByteArray("old\n"));
        QCOMPARE(QDir(small).entryList(QDir::Files | QDir::Hidden), QStringList({"f", "filler"}));
        QCOMPARE(Sandbox::run("umount", {small}), 0);
    }
};

SANDBOX_TEST_MAIN(TestLineFile)
#include "tst_linefile.moc"
