#include "sandboxtestmain.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QRandomGenerator>
#include <QSet>
#include <QTcpServer>
#include <QThread>

#include <csignal>

#include <sys/wait.h>
#include <unistd.h>

// The agent's update.sh installs a package of the software under
// /opt/zoderer/software so that a refused package, a kill at any moment and a
// new version that does not come up all leave a whole, working tree.
class TestUpdate : public QObject
{
    Q_OBJECT

    const QString updateScript = QStringLiteral("/opt/zoderer/termagent/update.sh");
    const QString clearScript = QStringLiteral("/opt/zoderer/termagent/clearUpdate.sh");
    const QString makeUpdate = QStringLiteral(TERMINAL_SOURCE_DIR "/scripts/make-update.sh");
    const QString software = QStringLiteral("/opt/zoderer/software");
    const QString work = QStringLiteral("/tmp/update-test");
    const QString publicKey = QStringLiteral("/opt/zoderer/configs/update/public.pem");

    // A tree's entries by relative path: "d", "f:" + contents or "l:" + target.
    using Tree = QMap<QString, QByteArray>;

    static QByteArray rawLinkTarget(const QString& link)
    {
        char target[4096];
        const ssize_t length =
            ::readlink(QFile::encodeName(link).constData(), target, sizeof target);
        return length < 0 ? QByteArray() : QByteArray(target, int(length));
    }

    static Tree readTree(const QString& root)
    {
        Tree tree;
        QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QFileInfo info(it.next());
            const QString name = QDir(root).relativeFilePath(info.filePath());
            if (info.isSymLink())
                tree[name] = "l:" + rawLinkTarget(info.filePath());
            else if (info.isDir())
                tree[name] = "d";
            else
                tree[name] = "f:" + Sandbox::readFile(info.filePath());
        }
        return tree;
    }

    static int shell(const QString& commands)
    {
        return Sandbox::run(QStringLiteral("sh"), {QStringLiteral("-ec"), commands});
    }

    int update(const QStringList& arguments) { return Sandbox::run(updateScript, arguments); }

    QString version(const QString& link) const
    {
        return QFile::symLinkTarget(software + QLatin1Char('/') + link);
    }

    Tree current() const { return readTree(software + QStringLiteral("/current")); }

    // A source tree of the software: files, a subdirectory, a link inside.
    bool makeSource(const QString& dir, const QByteArray& mark, int files = 3)
    {
        if (!QDir().mkpath(dir + QStringLiteral("/bin"))
            || !QDir().mkpath(dir + QStringLiteral("/share/doc")))
            return false;
        for (int i = 0; i < files; ++i)
            if (!Sandbox::writeFile(dir + QStringLiteral("/share/file%1").arg(i),
                                    mark + QByteArray::number(i)))
                return false;
        return Sandbox::writeFile(dir + QStringLiteral("/bin/termagent"),
                                  "#!/bin/sh\necho " + mark + "\n", true)
            && QFile::link(QStringLiteral("../bin/termagent"),
                           dir + QStringLiteral("/share/agent"));
    }

    int make(const QString& dir, const QString& out, const QString& key = QString())
    {
        QStringList arguments {dir, out};
        if (!key.isEmpty())
            arguments << QStringLiteral("--sign") << key;
        return Sandbox::run(makeUpdate, arguments);
    }

    QString path(const QString& name) const { return work + QLatin1Char('/') + name; }

    bool reset()
    {
        shell(QStringLiteral(
            "rm -rf /opt/zoderer/software /opt/zoderer/configs/update /tmp/sandbox-calls.log"));
        return update({path(QStringLiteral("a.tar.gz"))}) == 0 && current() == treeA;
    }

    bool noLeftovers() const
    {
        const QStringList versions =
            QDir(software + QStringLiteral("/versions"))
                .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        QStringList referenced {version(QStringLiteral("current")).section(QLatin1Char('/'), -1)};
        if (!version(QStringLiteral("previous")).isEmpty())
            referenced << version(QStringLiteral("previous")).section(QLatin1Char('/'), -1);
        referenced.removeDuplicates();
        return !QFileInfo::exists(software + QStringLiteral("/.staging"))
            && QSet<QString>(versions.begin(), versions.end())
            == QSet<QString>(referenced.begin(), referenced.end());
    }

    bool logged(const QString& fragment) const
    {
        return !Sandbox::loggedLines(QStringLiteral("update.sh")).filter(fragment).isEmpty();
    }

    // Waits for every process of a killed group to end. The test is the
    // sandbox's first process: the group's orphans become its children, whose
    // ends it collects.
    static bool groupEnded(pid_t group)
    {
        QDeadlineTimer deadline(5000);
        while (!deadline.hasExpired()) {
            while (::waitpid(-group, nullptr, WNOHANG) > 0) { }
            if (::kill(-group, 0) != 0)
                return true;
            QThread::msleep(2);
        }
        return false;
    }

    Tree treeA, treeB;

private slots:
    void initTestCase()
    {
        QVERIFY(Sandbox::installDeviceLayer());
        QVERIFY(QFileInfo(updateScript).isExecutable());
        QVERIFY(makeSource(path(QStringLiteral("a")), "alpha"));
        QVERIFY(makeSource(path(QStringLiteral("b")), "beta", 40));
        QCOMPARE(make(path(QStringLiteral("a")), path(QStringLiteral("a.tar.gz"))), 0);
        QCOMPARE(make(path(QStringLiteral("b")), path(QStringLiteral("b.tar.gz"))), 0);
        treeA = readTree(path(QStringLiteral("a")));
        treeB = readTree(path(QStringLiteral("b")));
        QVERIFY(treeA.contains(QStringLiteral("share/agent")));
        QVERIFY(treeA != treeB);
        QCOMPARE(
            shell("cd " + work
                  + " && openssl genpkey -algorithm EC -pkeyopt ec_paramgen_curve:P-256"
                    " -out key.pem 2>/dev/null && openssl pkey -in key.pem -pubout -out public.pem"
                    " && openssl genpkey -algorithm EC -pkeyopt ec_paramgen_curve:P-256"
                    " -out other.pem 2>/dev/null"),
            0);
        QCOMPARE(make(path(QStringLiteral("b")), path(QStringLiteral("b-signed.tar.gz")),
                      path(QStringLiteral("key.pem"))),
                 0);
        QCOMPARE(make(path(QStringLiteral("b")), path(QStringLiteral("b-other.tar.gz")),
                      path(QStringLiteral("other.pem"))),
                 0);
    }

    void installsAndKeepsThePrevious()
    {
        QVERIFY(reset());
        QCOMPARE(version(QStringLiteral("current")), software + QStringLiteral("/versions/1"));
        QCOMPARE(update({path(QStringLiteral("b.tar.gz"))}), 0);
        QCOMPARE(current(), treeB);
        QCOMPARE(readTree(software + QStringLiteral("/previous")), treeA);
        QCOMPARE(Sandbox::readFile(software + QStringLiteral("/pending")),
                 QByteArray("versions/2\n"));
        QVERIFY(noLeftovers());
        QVERIFY(logged(QStringLiteral("as versions/2 (previous: versions/1)")));

        // The agent's cleaning removes the received package and the staging.
        QVERIFY(Sandbox::writeFile(QStringLiteral("/tmp/uploadfile.tar.gz"), "x"));
        QVERIFY(QDir().mkpath(software + QStringLiteral("/.staging/software")));
        QCOMPARE(Sandbox::run(clearScript, {}), 0);
        QVERIFY(!QFileInfo::exists(QStringLiteral("/tmp/uploadfile.tar.gz")));
        QVERIFY(!QFileInfo::exists(software + QStringLiteral("/.staging")));
        QCOMPARE(current(), treeB);
    }

    void refused_data()
    {
        // Shell lines run in the work directory that write bad.tar.gz, and the
        // log line's reason.
        QTest::addColumn<QString>("build");
        QTest::addColumn<bool>("withKey");
        QTest::addColumn<QString>("reason");
        const QString repack =
            "rm -rf x && mkdir x && tar -xzf b.tar.gz -C x && %1 && tar -czf bad.tar.gz -C x %2";
        QTest::newRow("not an archive")
            << "echo junk > bad.tar.gz" << false << "not a gzip tar archive";
        QTest::newRow("wrong checksum")
            << repack.arg("echo changed > x/software/share/file1", "MANIFEST software") << false
            << "do not match its manifest (first difference: < f 644";
        QTest::newRow("file added")
            << repack.arg("echo new > x/software/bin/extra", "MANIFEST software") << false
            << "first difference: > f 644";
        QTest::newRow("mode changed")
            << repack.arg("chmod 755 x/software/share/file0", "MANIFEST software") << false
            << "do not match its manifest";
        QTest::newRow("no manifest")
            << repack.arg("true", "software") << false << "carries no manifest (MANIFEST)";
        // A member named outside the staging, stored as such (-P).
        const QString outside = "echo evil > evil && tar -czf bad.tar.gz -P -C x MANIFEST software "
                                "--transform 's,^/tmp/update-test/evil,%1,' /tmp/update-test/evil";
        QTest::newRow("path escaping")
            << repack.arg("true", "MANIFEST software && " + outside.arg("software/../../../evil"))
            << false << "the member \"software/../../../evil\" is outside software/";
        QTest::newRow("absolute path")
            << repack.arg("true", "MANIFEST software && " + outside.arg("/opt/zoderer/evil"))
            << false << "the member \"/opt/zoderer/evil\"";
        QTest::newRow("other member") << repack.arg("echo x > x/extra", "MANIFEST software extra")
                                      << false << "the member \"extra\" is outside software/";
        QTest::newRow("absolute link")
            << "rm -rf s && cp -a b s && ln -s /etc/passwd s/share/out && " + makeUpdate
                + " s bad.tar.gz"
            << false << "the link \"software/share/out\" is absolute or leads out";
        QTest::newRow("relative link out")
            << "rm -rf s && cp -a b s && ln -s ../../evil s/share/out && " + makeUpdate
                + " s bad.tar.gz"
            << false << "the link \"software/share/out\" is absolute or leads out";
        QTest::newRow("link out and back in")
            << "rm -rf s && cp -a b s && ln -s ../../software/bin s/share/out && " + makeUpdate
                + " s bad.tar.gz"
            << false << "the link \"software/share/out\"";
        QTest::newRow("hard link")
            << repack.arg("ln x/software/share/file0 x/software/share/copy", "MANIFEST software")
            << false << "holds a hard link, device or pipe";
        QTest::newRow("unsigned with a key")
            << "cp b.tar.gz bad.tar.gz" << true << "carries no signature (MANIFEST.sig)";
        QTest::newRow("signed by another key")
            << "cp b-other.tar.gz bad.tar.gz" << true << "its signature does not verify";
        QTest::newRow("signed, manifest changed")
            << repack
                   .arg("sed -i 's/^f 644 /f 600 /' x/MANIFEST && find x/software -type f -perm "
                        "644 -exec chmod 600 {} +",
                        "MANIFEST MANIFEST.sig software")
                   .replace(QStringLiteral("b.tar.gz -C x &&"),
                            QStringLiteral("b-signed.tar.gz -C x &&"))
            << true << "its signature does not verify";
    }

    void refused()
    {
        QFETCH(QString, build);
        QFETCH(bool, withKey);
        QFETCH(QString, reason);
        QVERIFY(reset());
        if (withKey)
            QVERIFY(Sandbox::writeFile(publicKey,
                                       Sandbox::readFile(path(QStringLiteral("public.pem")))));
        QCOMPARE(shell("cd " + work + " && " + build), 0);
        QCOMPARE(update({path(QStringLiteral("bad.tar.gz"))}), 1);
        QVERIFY2(logged(reason), qPrintable(Sandbox::standinCalls().join(QLatin1Char('\n'))));
        QCOMPARE(current(), treeA);
        QCOMPARE(version(QStringLiteral("current")), software + QStringLiteral("/versions/1"));
        QVERIFY(!QFileInfo::exists(software + QStringLiteral("/pending")));
        QVERIFY(!QFileInfo::exists(QStringLiteral("/opt/zoderer/evil")));
        QVERIFY(!QFileInfo::exists(QStringLiteral("/opt/evil")));
        QVERIFY(noLeftovers());
    }

    void signedPackageInstallsWithTheKey()
    {
        QVERIFY(reset());
        QVERIFY(
            Sandbox::writeFile(publicKey, Sandbox::readFile(path(QStringLiteral("public.pem")))));
        QCOMPARE(update({path(QStringLiteral("b-signed.tar.gz"))}), 0);
        QCOMPARE(current(), treeB);
    }

    void killedAnywhereLeavesAWholeTree()
    {
        QVERIFY(reset());
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(update({path(QStringLiteral("b.tar.gz"))}), 0);
        const qint64 full = timer.elapsed();
        int switched = 0;
        int kept = 0;
        for (int run = 0; run < 50; ++run) {
            // Alternately towards A and B, so that every run changes the tree.
            const Tree before = current();
            const bool towardsA = before == treeB;
            const Tree after = towardsA ? treeA : treeB;
            QProcess process;
            process.setChildProcessModifier([] { ::setpgid(0, 0); });
            process.start(
                updateScript,
                {path(towardsA ? QStringLiteral("a.tar.gz") : QStringLiteral("b.tar.gz"))});
            QVERIFY(process.waitForStarted());
            const pid_t group = pid_t(process.processId());
            // Up to a third past a whole run's time: some runs end whole.
            QThread::msleep(QRandomGenerator::global()->bounded(int(full * 4 / 3) + 1));
            ::kill(-group, SIGKILL);
            QVERIFY(process.waitForFinished());
            QVERIFY2(groupEnded(group), "a process of the killed update is left");
            const Tree now = current();
            QVERIFY2(now == before || now == after,
                     qPrintable(QStringLiteral("run %1: a mixed tree").arg(run)));
            (now == after ? switched : kept)++;
        }
        // The kills fell before and after the switch.
        QVERIFY2(switched > 0 && kept > 0,
                 qPrintable(QStringLiteral("%1 switched, %2 kept").arg(switched).arg(kept)));
        // A whole run afterwards removes what the killed ones left.
        const bool towardsA = current() == treeB;
        QCOMPARE(update({path(towardsA ? QStringLiteral("a.tar.gz") : QStringLiteral("b.tar.gz"))}),
                 0);
        QCOMPARE(current(), towardsA ? treeA : treeB);
        QVERIFY(noLeftovers());
    }

    void newVersionThatDoesNotComeUpIsRolledBack()
    {
        QVERIFY(reset());
        QCOMPARE(update({path(QStringLiteral("b.tar.gz"))}), 0);
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(update({QStringLiteral("--boot"), QStringLiteral("1")}), 1);
        QVERIFY(timer.elapsed() < 5000);
        QCOMPARE(current(), treeA);
        QCOMPARE(readTree(software + QStringLiteral("/previous")), treeB);
        QVERIFY(!QFileInfo::exists(software + QStringLiteral("/pending")));
        QVERIFY(logged(QStringLiteral("rolled back from versions/2 to versions/1")));
        // The next start has nothing to check.
        QCOMPARE(update({QStringLiteral("--boot"), QStringLiteral("1")}), 0);
        QCOMPARE(current(), treeA);
    }

    void newVersionThatComesUpIsKept()
    {
        QVERIFY(reset());
        QCOMPARE(update({path(QStringLiteral("b.tar.gz"))}), 0);
        QTcpServer agent;
        QVERIFY(agent.listen(QHostAddress::Any, 9600));
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(update({QStringLiteral("--boot"), QStringLiteral("20")}), 0);
        QVERIFY(timer.elapsed() < 5000);
        QCOMPARE(current(), treeB);
        QVERIFY(!QFileInfo::exists(software + QStringLiteral("/pending")));
        agent.close();
        QCOMPARE(update({QStringLiteral("--boot"), QStringLiteral("1")}), 0);
        QCOMPARE(current(), treeB);
    }

    void checkCutShortIsRolledBackAtTheNextStart()
    {
        QVERIFY(reset());
        QCOMPARE(update({path(QStringLiteral("b.tar.gz"))}), 0);
        QProcess check;
        check.setChildProcessModifier([] { ::setpgid(0, 0); });
        check.start(updateScript, {QStringLiteral("--boot"), QStringLiteral("30")});
        QVERIFY(check.waitForStarted());
        QTRY_VERIFY(
            Sandbox::readFile(software + QStringLiteral("/pending")).endsWith("checking\n"));
        const pid_t group = pid_t(check.processId());
        ::kill(-group, SIGKILL);
        QVERIFY(check.waitForFinished());
        QVERIFY(groupEnded(group));
        QCOMPARE(current(), treeB);
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(update({QStringLiteral("--boot"), QStringLiteral("30")}), 1);
        QVERIFY(timer.elapsed() < 5000);
        QCOMPARE(current(), treeA);
        QVERIFY(logged(QStringLiteral("began at an earlier start and never ended")));
    }
};

SANDBOX_TEST_MAIN(TestUpdate)
#include "tst_update.moc"
