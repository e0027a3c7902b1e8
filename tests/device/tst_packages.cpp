#include "sandboxtestmain.h"

#include "devicepaths.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QProcess>

// The Debian packages CPack makes of the build, installed with the real dpkg
// into a throwaway root under the sandbox's /tmp (the maintainer scripts run
// outside a chroot and see DPKG_ROOT): the installed tree holds every path the
// programs use, an upgrade keeps what the administrator and the users
// changed, a removal leaves only the configuration and a purge nothing.
class TestPackages : public QObject
{
    Q_OBJECT

    const QString work = QStringLiteral("/tmp/packages-test");
    const QString root = work + QStringLiteral("/root");
    const QString oldVersion = QStringLiteral("0.1");
    // The packages by name: the built version and an older one of the same
    // contents.
    QMap<QString, QString> m_new;
    QMap<QString, QString> m_old;

    // Runs the program with bin first on PATH.
    int run(const QString& program, const QStringList& arguments, QByteArray* output = nullptr)
    {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("PATH", work + "/bin:" + environment.value("PATH"));
        process.setProcessEnvironment(environment);
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(program, arguments);
        const bool ended = process.waitForFinished(600000) && process.exitStatus() == QProcess::NormalExit;
        const QByteArray text = process.readAll();
        if (output)
            *output = text;
        if (!ended || process.exitCode() != 0)
            qWarning().noquote() << program << arguments.join(' ') << "\n" << text;
        return ended ? process.exitCode() : -1;
    }

    int dpkg(const QStringList& arguments)
    {
        return run(QStringLiteral("dpkg"), QStringList{"--root=" + root, "--force-script-chrootless",
                                                        "--force-depends", "--log=" + work + "/dpkg.log"}
                                                + arguments);
    }

    QString installed(const QString& package)
    {
        QByteArray version;
        run(QStringLiteral("dpkg-query"),
            {"--admindir=" + root + "/var/lib/dpkg", "-W", "-f=${Status} ${Version}", package}, &version);
        return QString::fromUtf8(version);
    }

    // Every file and link under the root but dpkg's own records.
    QStringList files() const
    {
        QStringList found;
        QDirIterator it(root, QDir::Files | QDir::System | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next().mid(root.size());
            if (!path.startsWith(QLatin1String("/var/lib/dpkg/")))
                found.append(path);
        }
        found.sort();
        return found;
    }

    // A unit's link in the root (its target is a path inside that root).
    bool enabled(const QString& unit) const
    {
        return QFileInfo(root + "/etc/systemd/system/multi-user.target.wants/" + unit).isSymLink();
    }

    void write(const QString& path, const QByteArray& bytes) { QVERIFY(Sandbox::writeFile(root + path, bytes)); }
    QByteArray read(const QString& path) const { return Sandbox::readFile(root + path); }

private slots:
    void initTestCase()
    {
        QVERIFY(QDir(work).removeRecursively());
        QVERIFY(QDir().mkpath(work + "/old"));
        // The real systemctl (under the sandbox's stand-in, seen through a
        // bind mount of its directory) for the root only, where it makes
        // links; any other call reaches the recording stand-in, and none may.
        const QString realBin = work + "/realbin";
        QVERIFY(QDir().mkpath(realBin));
        QCOMPARE(run(QStringLiteral("mount"), {"--bind", "/usr/bin", realBin}), 0);
        QVERIFY(Sandbox::writeFile(work + "/bin/systemctl",
                                   "#!/bin/sh\n"
                                   "[ \"$1\" != --root=" + root.toUtf8() + " ] || exec " + realBin.toUtf8()
                                       + "/systemctl \"$@\"\n"
                                         "exec /run/sandbox/bin/systemctl \"$@\"\n",
                                   true));
        // gzip: the test needs the packages' contents, not their smallest size.
        QCOMPARE(run(QStringLiteral("cpack"), {"--config", TERMINAL_BINARY_DIR "/CPackConfig.cmake", "-B",
                                               work + "/new", "-D", "CPACK_DEBIAN_COMPRESSION_TYPE=gzip"}),
                 0);
        for (const QFileInfo& deb : QDir(work + "/new").entryInfoList({"*.deb"}, QDir::Files)) {
            const QString name = deb.fileName().section('_', 0, 0);
            m_new[name] = deb.filePath();
            // The same contents as an older version.
            const QString tree = work + "/old/" + name;
            QCOMPARE(run(QStringLiteral("dpkg-deb"), {"-R", deb.filePath(), tree}), 0);
            QByteArray control = Sandbox::readFile(tree + "/DEBIAN/control");
            control.replace("Version: " TERMINAL_VERSION "\n", "Version: " + oldVersion.toUtf8() + "\n");
            control.replace("(= " TERMINAL_VERSION ")", "(= " + oldVersion.toUtf8() + ")");
            QVERIFY(Sandbox::writeFile(tree + "/DEBIAN/control", control));
            m_old[name] = work + "/old/" + deb.fileName();
            QCOMPARE(run(QStringLiteral("dpkg-deb"), {"-Zgzip", "-b", tree, m_old[name]}), 0);
        }
        QCOMPARE(m_new.keys(), (QStringList{"terminal-device", "terminal-launcher", "terminal-launcher-lite",
                                            "terminal-termagent"}));
        for (const char* dir : {"/var/lib/dpkg/info", "/var/lib/dpkg/updates"})
            QVERIFY(QDir().mkpath(root + dir));
        QVERIFY(Sandbox::writeFile(root + "/var/lib/dpkg/status", ""));
    }

    void cleanupTestCase() { run(QStringLiteral("umount"), {work + "/realbin"}); }

    void installUpgradeRemovePurge()
    {
        const QStringList names = {"terminal-device", "terminal-termagent", "terminal-launcher"};
        QStringList older, newer;
        for (const QString& name : names) {
            older << m_old[name];
            newer << m_new[name];
        }
        QCOMPARE(dpkg(QStringList{"-i"} + older), 0);
        for (const QString& name : names)
            QCOMPARE(installed(name), "install ok installed " + oldVersion);

        // Every path the programs use, where they use it.
        const QStringList programs = {
            CONNECTSCRIPT, POWEROFFSCRIPT, REBOOTSCRIPT, RESETDISPLAYSCRIPT, SETDISPLAYSCRIPT,
            SETPERIPHERALSCRIPT, SETNETWORKSCRIPT, IFCONFIGWLAN0DOWNSCRIPT, CHECKNETSCRIPT,
            RECOVERYFACTORYSCRIPT, SETPASSWDSCRIPT, CHANGEPASSWDSCRIPT, DELETEPASSWDSCRIPT,
            SCANRESULTSCRIPT, CHECKWIFISTATUSSCRIPT, SETWIFISCRIPT, CONNECTWIFISCRIPT, CONNECTWIFIFAILSCRIPT,
            SLEEP1SCRIPT, IFCONFIGETH0DOWNSCRIPT, IFCONFIGETH0UPSCRIPT, CONNECTWIFIDEFAULTSCRIPT,
            ARMBOXINITSCRIPT, SYSTEMPOWEROFFSCRIPT,
            // The agent starts these from its own directory.
            "/opt/zoderer/termagent/termagent", "/opt/zoderer/termagent/getRDPinfo.sh",
            "/opt/zoderer/termagent/updateRDPinfo.sh", "/opt/zoderer/termagent/update.sh",
            "/opt/zoderer/termagent/clearUpdate.sh", "/opt/zoderer/termagent/ReceiveBc",
            "/opt/zoderer/bin/kiosk.sh", "/opt/zoderer/bin/launcher"};
        for (const QString& program : programs) {
            const QFileInfo info(root + program);
            QVERIFY2(info.isFile() && info.isExecutable(), qPrintable(program));
        }
        const QStringList configuration = {
            AUTOLOGINFILE, PASSWDCONFIGFILE, DISPLAYRESOLUTIONFILE, DISPLAYCOLORDEPTHFILE, HDMIDISPLAYFILE,
            PERIPHERALCONFIGFILE, NETWORKSELECTIONFILE, NETCONFIGFILE, WIFICONFIGFILE, LANGUAGEDBFILE,
            AGENTPOLICYFILE, "/opt/zoderer/login/devicelib.sh"};
        for (const QString& file : configuration)
            QVERIFY2(QFileInfo(root + file).isFile(), qPrintable(file));
        QVERIFY(QFileInfo(root + USRINFODIR).isDir());
        QVERIFY(QFileInfo(root + WIFIHOTSPOTINFODIR).isDir());
        // The password directories, and their factory copies, are root's alone.
        const QStringList secrets = {"usrinfodir", "passwd", "network/wificonfigs"};
        const auto notPrivate = [this, &secrets] {
            constexpr QFile::Permissions others = QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup
                | QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;
            QStringList found;
            for (const QString tree : {SYSTEMCONFIGSROOT, "/opt/zoderer/factory/configs/"}) {
                for (const QString& secret : secrets) {
                    const QFileInfo directory(root + tree + secret);
                    if (!directory.isDir() || (directory.permissions() & others))
                        found << tree + secret;
                }
            }
            return found;
        };
        QCOMPARE(notPrivate(), QStringList());
        QCOMPARE(read(NETWORKSELECTIONFILE), QByteArray("wired\n"));
        QCOMPARE(read(AUTOLOGINFILE), QByteArray("0\n"));
        // Enabled, not started: another root.
        for (const char* unit : {"termagent.service", "terminal-bootcheck.service", "terminal-kiosk.service"})
            QVERIFY2(enabled(unit), unit);

        // What the administrator and the users changed survives an upgrade,
        // the agent's policy (a conffile) included; twice, as dpkg may.
        const QByteArray profile = "10.0.0.7\nann\ns3cret\n3389\n\n1\n0\n0\n3\n";
        write(USRINFODIR "10.0.0.7.usr", profile);
        write(CONNECTFILE, profile);
        write(PASSWDCONFIGFILE, "Admin-2024\n");
        write(NETCONFIGFILE, "static\n10.0.0.20\n255.255.255.0\n10.0.0.1\n10.0.0.1\n\n");
        write(AGENTPOLICYFILE, "allow-tcp 10.0.0.0/24\n");
        QFile::remove(root + HDMIDISPLAYFILE);
        // As an earlier version left them: readable by all.
        for (const QString& secret : secrets)
            QVERIFY(QFile::setPermissions(root + SYSTEMCONFIGSROOT + secret,
                                          QFile::permissions(root + SYSTEMCONFIGSROOT + secret)
                                              | QFile::ReadOther | QFile::ExeOther));
        for (int round = 0; round < 2; ++round) {
            QCOMPARE(dpkg(QStringList{"-i"} + newer), 0);
            for (const QString& name : names)
                QCOMPARE(installed(name), QStringLiteral("install ok installed " TERMINAL_VERSION));
            QCOMPARE(read(USRINFODIR "10.0.0.7.usr"), profile);
            QCOMPARE(read(CONNECTFILE), profile);
            QCOMPARE(read(PASSWDCONFIGFILE), QByteArray("Admin-2024\n"));
            QCOMPARE(read(NETCONFIGFILE), QByteArray("static\n10.0.0.20\n255.255.255.0\n10.0.0.1\n10.0.0.1\n\n"));
            QCOMPARE(read(AGENTPOLICYFILE), QByteArray("allow-tcp 10.0.0.0/24\n"));
            // A setting file missing from the tree comes back from the factory's.
            QCOMPARE(read(HDMIDISPLAYFILE), QByteArray("0\n"));
            QCOMPARE(notPrivate(), QStringList());
        }

        // The reduced launcher takes the full one's place.
        QCOMPARE(dpkg({"-i", m_new["terminal-launcher-lite"]}), 0);
        const QString replaced = installed("terminal-launcher");
        QVERIFY2(!replaced.contains(QLatin1String(" installed ")), qPrintable(replaced));
        QVERIFY(QFileInfo(root + "/opt/zoderer/bin/launcher-lite").isExecutable());
        QVERIFY(!QFileInfo::exists(root + "/opt/zoderer/bin/launcher"));
        QVERIFY(enabled("terminal-kiosk.service"));

        // Removed: only the configuration stays, the units are disabled.
        const QStringList all = {"terminal-launcher-lite", "terminal-termagent", "terminal-device"};
        QCOMPARE(dpkg(QStringList{"-r"} + all), 0);
        const QStringList left = files();
        QVERIFY(!left.isEmpty());
        for (const QString& file : left)
            QVERIFY2(file.startsWith(QLatin1String(SYSTEMCONFIGSROOT)), qPrintable(file));
        QCOMPARE(read(USRINFODIR "10.0.0.7.usr"), profile);
        QCOMPARE(read(AGENTPOLICYFILE), QByteArray("allow-tcp 10.0.0.0/24\n"));

        // Purged: nothing.
        QCOMPARE(dpkg(QStringList{"-P"} + all + QStringList{"terminal-launcher"}), 0);
        QCOMPARE(files(), QStringList());
        QStringList directories;
        QDirIterator it(root + "/opt", QDir::Dirs | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
        while (it.hasNext())
            directories << it.next();
        QCOMPARE(directories, QStringList());
        // Nothing was done to the running system: no unit started or stopped.
        for (const QString& call : Sandbox::standinCalls())
            QVERIFY2(!call.startsWith(QLatin1String("systemctl")), qPrintable(call));
    }
};

SANDBOX_TEST_MAIN(TestPackages)
#include "tst_packages.moc"
