#include "sandboxtestmain.h"
#include "serverprofile.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>

namespace {
const QString profiles = QStringLiteral("/opt/zoderer/configs/usrinfodir/");

// Every file under the configuration root, for checks that nothing else changed.
QStringList allFiles()
{
    QStringList files;
    QDirIterator it(QStringLiteral("/opt"), QDir::Files | QDir::Hidden | QDir::Dirs | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        files << it.next();
    files.sort();
    return files;
}
}

class TestServerProfile : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QDir(QStringLiteral("/opt/zoderer")).removeRecursively();
        QDir().mkpath(profiles);
    }

    void namesListOnlyProfilesSortedCaseInsensitively()
    {
        for (const char* name : {"b.usr", "A.usr", "10.0.0.2.usr", "connectfile", "autologin", "x.usr.bak"})
            QVERIFY(Sandbox::writeFile(profiles + name, "x\n"));
        QCOMPARE(ServerProfile::names(), QStringList({"10.0.0.2", "A", "b"}));
    }

    void namesThatLeaveTheDirectoryAreInvalid()
    {
        QVERIFY(ServerProfile::isValidName("10.0.0.1"));
        QVERIFY(ServerProfile::isValidName("x y"));
        QVERIFY(ServerProfile::isValidName(".hidden"));
        for (const QString& bad : {QString(), QStringLiteral("."), QStringLiteral(".."), QStringLiteral("x / y"),
                                   QStringLiteral("../x"), QStringLiteral("a/b"), QStringLiteral("/"),
                                   QStringLiteral("a") + QChar(0) + QStringLiteral("b")})
            QVERIFY2(!ServerProfile::isValidName(bad), qPrintable(bad));
    }

    void writeUsesTheFirstLineAsFileNameAndTheExactFormat()
    {
        const QStringList lines{"10.0.0.5", "alice", "", "3389", "", "0", "1", "0", "12"};
        QVERIFY(ServerProfile::write(lines));
        QCOMPARE(Sandbox::readFile(profiles + "10.0.0.5.usr"), QByteArray("10.0.0.5\nalice\n\n3389\n\n0\n1\n0\n12\n"));
        bool opened = false;
        QCOMPARE(ServerProfile::read("10.0.0.5", ServerProfile::lineCount(false), &opened), lines);
        QVERIFY(opened);
    }

    void readPadsShortProfiles()
    {
        QVERIFY(Sandbox::writeFile(profiles + "s.usr", "s\nbob\n"));
        const QStringList lines = ServerProfile::read("s", ServerProfile::lineCount(false));
        QCOMPARE(lines.size(), 9);
        QCOMPARE(lines.mid(0, 3), QStringList({"s", "bob", ""}));
        QCOMPARE(lines.last(), QString());
    }

    void unsafeAddressesAreNeverWritten()
    {
        QVERIFY(Sandbox::writeFile(profiles + "keep.usr", "keep\n"));
        const QStringList before = allFiles();
        for (const QString& bad : {QStringLiteral("x / y"), QStringLiteral("../x"), QStringLiteral(".."),
                                   QStringLiteral("."), QStringLiteral("../../../etc/passwd"), QString()})
            QVERIFY(!ServerProfile::write({bad, "u", "p", "3389", "", "1", "0", "0", "3"}));
        QCOMPARE(allFiles(), before);
    }

    // The typed address is never handed to a shell: "x / y" deletes nothing,
    // and an address deletes exactly its own profile, not one it prefixes.
    void removeDeletesExactlyOneProfile()
    {
        for (const char* name : {"10.0.0.1.usr", "10.0.0.10.usr", "x .usr", "y.usr", "connectfile"})
            QVERIFY(Sandbox::writeFile(profiles + name, "x\n"));
        QDir().mkpath(profiles + "x ");
        QVERIFY(Sandbox::writeFile("/opt/zoderer/configs/other", "keep\n"));
        const QStringList before = allFiles();

        for (const QString& bad : {QStringLiteral("x / y"), QStringLiteral("../other"), QStringLiteral("*"),
                                   QStringLiteral(".."), QString()})
            QVERIFY(!ServerProfile::remove(bad));
        QCOMPARE(allFiles(), before);

        QVERIFY(ServerProfile::remove("10.0.0.1"));
        QStringList expected = before;
        expected.removeOne(profiles + "10.0.0.1.usr");
        QCOMPARE(allFiles(), expected);
        QVERIFY(!ServerProfile::remove("10.0.0.1"));
    }

    void copyToConnectFileCopiesTheBytes()
    {
        const QByteArray content("10.0.0.7\nbob\nsecret\n3390\ndom\n1\n0\n0\n5\n");
        QVERIFY(Sandbox::writeFile(profiles + "10.0.0.7.usr", content));
        QVERIFY(Sandbox::writeFile(profiles + "connectfile", "old\n"));
        QVERIFY(ServerProfile::copyToConnectFile("10.0.0.7"));
        QCOMPARE(Sandbox::readFile(profiles + "connectfile"), content);

        // A missing profile or an unsafe name leaves the current connection as it was.
        QVERIFY(!ServerProfile::copyToConnectFile("10.0.0.8"));
        QVERIFY(Sandbox::writeFile("/opt/zoderer/configs/x.usr", "outside\n"));
        QVERIFY(!ServerProfile::copyToConnectFile("../x"));
        QCOMPARE(Sandbox::readFile(profiles + "connectfile"), content);
    }
};

SANDBOX_TEST_MAIN(TestServerProfile)
#include "tst_serverprofile.moc"
