#include "sandboxtestmain.h"

#include "mylib.h"
#include "passwordrules.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QProcess>

#include <sys/stat.h>

// The reference device scripts for power, passwords, the agent's
// remote-desktop settings, the factory reset, the display and the
// peripherals, run as the programs start them, inside the sandbox. Programs
// that need hardware (amixer, setxkbmap, loadkeys, xrandr, fbset, modprobe)
// are recording stand-ins first on PATH: what is proven is the call each
// setting leads to and the files written, not the effect on a device.
class TestDeviceScripts : public QObject
{
    Q_OBJECT

    const QString configs = QStringLiteral("/opt/zoderer/configs");
    const QString passwdFile = configs + "/passwd/passwdconfig";
    const QString connectFile = configs + "/usrinfodir/connectfile";
    const QString fakeBin = QStringLiteral("/tmp/fakebin");

    struct Result
    {
        int exitCode = -1;
        QByteArray output;
    };

    // Runs a script as installed, with the stand-ins of fakeBin first on
    // PATH; display is $DISPLAY (unset when empty).
    Result run(const QString& script, const QStringList& arguments = {}, const QString& display = {})
    {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("PATH", fakeBin + ":" + environment.value("PATH"));
        environment.remove("DISPLAY");
        if (!display.isEmpty())
            environment.insert("DISPLAY", display);
        process.setProcessEnvironment(environment);
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(script, arguments);
        if (!process.waitForFinished(20000) || process.exitStatus() != QProcess::NormalExit)
            return {};
        return {process.exitCode(), process.readAllStandardOutput()};
    }

    static ino_t inode(const QString& path)
    {
        struct stat info{};
        return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_ino : 0;
    }

    // Every file and directory below dir as "relative path=content".
    static QStringList tree(const QString& dir)
    {
        QStringList entries;
        QDirIterator it(dir, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            const QString name = path.mid(dir.size() + 1);
            entries.append(QFileInfo(path).isDir() ? name + "/" : name + "=" + QString::fromUtf8(Sandbox::readFile(path)));
        }
        entries.sort();
        return entries;
    }

    void fake(const QString& name, const FakeScript& script = {})
    {
        QVERIFY(Sandbox::writeRecordingScript(fakeBin + "/" + name, script));
    }

    static QList<QStringList> calls(const QString& path) { return Sandbox::recordedCalls(path); }

private slots:
    void initTestCase() { QVERIFY(Sandbox::installDeviceLayer()); }

    void init()
    {
        QVERIFY(QDir(configs).removeRecursively());
        QVERIFY(QDir(QStringLiteral("/opt/zoderer/factory")).removeRecursively());
        QVERIFY(QDir(fakeBin).removeRecursively());
        QFile::remove("/tmp/sandbox-calls.log");
        QVERIFY(QDir().mkpath(fakeBin));
        // Nothing a test runs may reach the machine's modules.
        fake("modprobe");
    }

    void passwords_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("script");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QByteArray>("after");

        QTest::newRow("add to no file") << QByteArray() << "setpasswd.sh" << QStringList{"Secret1"} << 0
                                        << QByteArray("Secret1\n");
        QTest::newRow("add keeps the others") << QByteArray("alpha\nbeta\n") << "setpasswd.sh"
                                              << QStringList{"Secret1"} << 0
                                              << QByteArray("alpha\nbeta\nSecret1\n");
        QTest::newRow("add after a last line without end")
            << QByteArray("alpha\n\nbeta") << "setpasswd.sh" << QStringList{"-n"} << 0
            << QByteArray("alpha\n\nbeta\n-n\n");
        QTest::newRow("add a stored one") << QByteArray("alpha\nbeta\n") << "setpasswd.sh"
                                          << QStringList{"beta"} << 0 << QByteArray("alpha\nbeta\n");
        QTest::newRow("add shell text") << QByteArray("alpha\n") << "setpasswd.sh"
                                        << QStringList{"$(touch /tmp/x)*\\c%s"} << 0
                                        << QByteArray("alpha\n$(touch /tmp/x)*\\c%s\n");
        QTest::newRow("add a line end") << QByteArray("alpha\n") << "setpasswd.sh"
                                        << QStringList{"Sec\nret"} << 2 << QByteArray("alpha\n");
        QTest::newRow("add nothing") << QByteArray("alpha\n") << "setpasswd.sh" << QStringList{""} << 2
                                     << QByteArray("alpha\n");
        QTest::newRow("change one in the middle")
            << QByteArray("alpha\nbeta\ngamma\n") << "changepasswd.sh" << QStringList{"beta", "Secret1"} << 0
            << QByteArray("alpha\nSecret1\ngamma\n");
        QTest::newRow("change in a CRLF file") << QByteArray("alpha\r\nbeta\r\n") << "changepasswd.sh"
                                               << QStringList{"alpha", "Secret1"} << 0
                                               << QByteArray("Secret1\nbeta\n");
        QTest::newRow("change to a stored one") << QByteArray("alpha\nbeta\n") << "changepasswd.sh"
                                                << QStringList{"alpha", "beta"} << 0 << QByteArray("beta\n");
        QTest::newRow("change an unknown one") << QByteArray("alpha\nbeta\n") << "changepasswd.sh"
                                               << QStringList{"alph", "Secret1"} << 1
                                               << QByteArray("alpha\nbeta\n");
        QTest::newRow("change with no file") << QByteArray() << "changepasswd.sh"
                                             << QStringList{"alpha", "Secret1"} << 1 << QByteArray();
        QTest::newRow("delete one in the middle") << QByteArray("alpha\nbeta\ngamma\n") << "deletepasswd.sh"
                                                  << QStringList{"beta"} << 0 << QByteArray("alpha\ngamma\n");
        QTest::newRow("delete the last one") << QByteArray("alpha") << "deletepasswd.sh" << QStringList{"alpha"}
                                             << 0 << QByteArray("");
        QTest::newRow("delete an unknown one") << QByteArray("alpha\nbeta\n") << "deletepasswd.sh"
                                               << QStringList{"Beta"} << 1 << QByteArray("alpha\nbeta\n");
    }

    void passwords()
    {
        QFETCH(QByteArray, before);
        QFETCH(QString, script);
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QByteArray, after);

        const bool existed = !before.isEmpty();
        if (existed) {
            QVERIFY(Sandbox::writeFile(passwdFile, before));
            QVERIFY(QFile::setPermissions(passwdFile, QFile::ReadOwner | QFile::WriteOwner));
        }
        const ino_t original = inode(passwdFile);
        QCOMPARE(run("/opt/zoderer/login/" + script, arguments).exitCode, exitCode);
        QCOMPARE(Sandbox::readFile(passwdFile), after);
        QVERIFY(!QFile::exists("/tmp/x"));
        if (existed && after != before) {
            // Replaced by a rename, keeping its mode; no temporary file stays.
            QVERIFY(inode(passwdFile) != original);
            QCOMPARE(QFile::permissions(passwdFile) & 0x7077, QFile::ReadOwner | QFile::WriteOwner);
        }
        QCOMPARE(QDir(configs + "/passwd").entryList(QDir::Files | QDir::Hidden),
                 QFileInfo::exists(passwdFile) ? QStringList{"passwdconfig"} : QStringList{});
        // The launcher reads back what was written.
        if (exitCode == 0 && script != "deletepasswd.sh")
            QVERIFY(PasswordRules::isStored(arguments.constLast()));
        // One log line, which holds no password.
        const QStringList logged = Sandbox::loggedLines();
        QCOMPARE(logged.size(), 1);
        QVERIFY2(logged.first().startsWith("logger -t " + script + " -- "), qPrintable(logged.first()));
        for (const QString& password : arguments) {
            if (password.size() > 2)
                QVERIFY2(!logged.first().contains(password), qPrintable(logged.first()));
        }
    }

    void rdpInfo_data()
    {
        QTest::addColumn<QByteArray>("connect");
        QTest::addColumn<QByteArray>("profile");
        QTest::addColumn<QStringList>("values");
        QTest::addColumn<QByteArray>("connectAfter");
        QTest::addColumn<QByteArray>("profileAfter");

        QTest::newRow("same server, other lines kept")
            << QByteArray("10.0.0.5\nold\nOldPass\n3389\nDOM\n0\n1\n0\n7\n")
            << QByteArray("10.0.0.5\nold\nOldPass\n3389\nDOM\n0\n1\n0\n7\n")
            << QStringList{"10.0.0.5", "admin", "Pa|ss|word", "3390"}
            << QByteArray("10.0.0.5\nadmin\nPa|ss|word\n3390\nDOM\n0\n1\n0\n7\n")
            << QByteArray("10.0.0.5\nadmin\nPa|ss|word\n3390\nDOM\n0\n1\n0\n7\n");
        QTest::newRow("a new server takes the current other lines")
            << QByteArray("10.0.0.5\nold\nOldPass\n3389\nDOM\n1\n0\n0\n5")
            << QByteArray()
            << QStringList{"server.example", "user name", "|x y|", "3389"}
            << QByteArray("server.example\nuser name\n|x y|\n3389\nDOM\n1\n0\n0\n5")
            << QByteArray("server.example\nuser name\n|x y|\n3389\nDOM\n1\n0\n0\n5");
        QTest::newRow("nothing before: defaults")
            << QByteArray() << QByteArray() << QStringList{"192.168.1.1", "u", "$(x)'\"", "3389"}
            << QByteArray("192.168.1.1\nu\n$(x)'\"\n3389\n\n1\n0\n0\n3\n")
            << QByteArray("192.168.1.1\nu\n$(x)'\"\n3389\n\n1\n0\n0\n3\n");
    }

    // The console's change is what the launcher connects to next: the current
    // connection and the server's profile, and what the agent reads back.
    void rdpInfo()
    {
        QFETCH(QByteArray, connect);
        QFETCH(QByteArray, profile);
        QFETCH(QStringList, values);
        QFETCH(QByteArray, connectAfter);
        QFETCH(QByteArray, profileAfter);

        const QString profilePath = configs + "/usrinfodir/" + values.first() + ".usr";
        if (!connect.isEmpty())
            QVERIFY(Sandbox::writeFile(connectFile, connect));
        if (!profile.isEmpty())
            QVERIFY(Sandbox::writeFile(profilePath, profile));
        const ino_t original = inode(connectFile);
        QCOMPARE(run("/opt/zoderer/termagent/updateRDPinfo.sh", values).exitCode, 0);
        QCOMPARE(Sandbox::readFile(connectFile), connectAfter);
        QCOMPARE(Sandbox::readFile(profilePath), profileAfter);
        if (original != 0)
            QVERIFY(inode(connectFile) != original);

        const Result read = run("/opt/zoderer/termagent/getRDPinfo.sh");
        QCOMPARE(read.exitCode, 0);
        QCOMPARE(read.output, values.join('|').toUtf8() + "\n");
        const RDP_Info info = Provider::parseRDPInfo(read.output);
        QCOMPARE(info.serverAddress, values.at(0));
        QCOMPARE(info.user, values.at(1));
        QCOMPARE(info.password, values.at(2));
        QCOMPARE(info.port, values.at(3).toInt());

        const QStringList logged = Sandbox::loggedLines();
        QCOMPARE(logged.size(), 1);
        QVERIFY2(!logged.first().contains(values.at(2)), qPrintable(logged.first()));
    }

    void rdpInfoRefused_data()
    {
        QTest::addColumn<QStringList>("values");
        QTest::newRow("a path as server") << QStringList{"../passwd/x", "u", "p", "3389"};
        QTest::newRow("empty server") << QStringList{"", "u", "p", "3389"};
        QTest::newRow("a line end in the password") << QStringList{"10.0.0.5", "u", "p\n5", "3389"};
        QTest::newRow("three values") << QStringList{"10.0.0.5", "u", "p"};
    }

    void rdpInfoRefused()
    {
        QFETCH(QStringList, values);
        const QByteArray before("10.0.0.5\nold\nOldPass\n3389\nDOM\n0\n1\n0\n7\n");
        QVERIFY(Sandbox::writeFile(connectFile, before));
        QCOMPARE(run("/opt/zoderer/termagent/updateRDPinfo.sh", values).exitCode, 2);
        QCOMPARE(Sandbox::readFile(connectFile), before);
        QCOMPARE(QDir(configs + "/usrinfodir").entryList(QDir::Files | QDir::Hidden), QStringList{"connectfile"});
        QVERIFY(!QFile::exists(configs + "/passwd/x.usr"));
    }

    void rdpInfoWithoutConnection()
    {
        QCOMPARE(run("/opt/zoderer/termagent/getRDPinfo.sh").exitCode, 1);
    }

    void power_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("command");
        QTest::addColumn<bool>("systemdFails");
        for (const bool fails : {false, true}) {
            const char* how = fails ? "systemctl fails" : "systemctl";
            QTest::addRow("login poweroff, %s", how) << "/opt/zoderer/login/poweroff.sh" << "poweroff" << fails;
            QTest::addRow("login reboot, %s", how) << "/opt/zoderer/login/reboot.sh" << "reboot" << fails;
            QTest::addRow("system poweroff, %s", how) << "/opt/system/zoderer/poweroff.sh" << "poweroff" << fails;
        }
    }

    void power()
    {
        QFETCH(QString, script);
        QFETCH(QString, command);
        QFETCH(bool, systemdFails);
        if (systemdFails)
            fake("systemctl", {"", 1});
        QCOMPARE(run(script).exitCode, 0);
        QStringList commands;
        for (const QString& call : Sandbox::standinCalls()) {
            if (!call.startsWith("logger "))
                commands.append(call.trimmed());
        }
        if (systemdFails) {
            QCOMPARE(calls(fakeBin + "/systemctl"), QList<QStringList>{{command}});
            QCOMPARE(commands, QStringList{command});
        } else {
            QCOMPARE(commands, QStringList{"systemctl " + command});
        }
    }

    void powerFails()
    {
        fake("systemctl", {"", 1});
        fake("reboot", {"", 1});
        QCOMPARE(run("/opt/zoderer/login/reboot.sh").exitCode, 1);
        QCOMPARE(calls(fakeBin + "/reboot").size(), 1);
    }

    void recoveryFactory()
    {
        const QString factory = QStringLiteral("/opt/zoderer/factory/configs");
        QVERIFY(Sandbox::writeFile(factory + "/display/resolution", "1024x768-60\n32\n"));
        QVERIFY(Sandbox::writeFile(factory + "/peripheral/peripheralconfig", "50\nnone\nnone\n1\n0\n\n"));
        QVERIFY(Sandbox::writeFile(factory + "/.hidden/.keep", "factory\n"));
        QVERIFY(Sandbox::writeFile(factory + "/passwd/passwdconfig", ""));
        QVERIFY(QDir().mkpath(factory + "/usrinfodir"));
        QVERIFY(Sandbox::writeFile(configs + "/display/resolution", "1920x1080-60\n16\n"));
        QVERIFY(Sandbox::writeFile(configs + "/passwd/passwdconfig", "Secret1\n"));
        QVERIFY(Sandbox::writeFile(configs + "/usrinfodir/10.0.0.5.usr", "10.0.0.5\nu\np\n3389\n"));
        QVERIFY(Sandbox::writeFile(configs + "/network/wificonfigs/wpa_supplicant.conf", "network={}\n"));
        QVERIFY(Sandbox::writeFile(configs + "/.user", "x\n"));
        const QStringList factoryTree = tree(factory);

        // No room beside the tree: nothing changes.
        {
            const QStringList before = tree(configs);
            ReadOnlyDirectory readOnly(QStringLiteral("/opt/zoderer"));
            QVERIFY(readOnly.ok());
            QCOMPARE(run("/opt/zoderer/login/recoveryfactory.sh").exitCode, 1);
            QCOMPARE(tree(configs), before);
        }

        QCOMPARE(run("/opt/zoderer/login/recoveryfactory.sh").exitCode, 0);
        QCOMPARE(tree(configs), factoryTree);
        QCOMPARE(tree(factory), factoryTree);
        QCOMPARE(QDir("/opt/zoderer").entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 (QStringList{"configs", "factory", "login", "termagent"}));
    }

    void recoveryFactoryWithoutFactoryTree()
    {
        QVERIFY(Sandbox::writeFile(configs + "/passwd/passwdconfig", "Secret1\n"));
        QCOMPARE(run("/opt/zoderer/login/recoveryfactory.sh").exitCode, 1);
        QCOMPARE(Sandbox::readFile(configs + "/passwd/passwdconfig"), QByteArray("Secret1\n"));
    }

    void peripherals_data()
    {
        QTest::addColumn<QByteArray>("config");
        QTest::addColumn<QString>("display");
        QTest::addColumn<QStringList>("amixer");
        QTest::addColumn<QString>("keyboardProgram");
        QTest::addColumn<QString>("keyboardArgument");
        QTest::addColumn<bool>("usbRefused");

        QTest::newRow("console, volume, US, disks refused")
            << QByteArray("63\nnone\nnone\n1\n0\nVGA\n") << QString() << QStringList{"-q", "sset", "Master", "100%", "unmute"}
            << "loadkeys" << "us" << true;
        QTest::newRow("console, muted, Brazil, disks allowed")
            << QByteArray("40\nmute\ndisk\n0\n6\nHDMI\n") << QString() << QStringList{"-q", "sset", "Master", "mute"}
            << "loadkeys" << "br-abnt2" << false;
        QTest::newRow("X, half volume, German")
            << QByteArray("31\nnone\ndisk\n0\n3\n") << ":7" << QStringList{"-q", "sset", "Master", "49%", "unmute"}
            << "setxkbmap" << "de" << false;
        QTest::newRow("X, odd values read as defaults")
            << QByteArray("loud\nnone\nnone\n0\n42") << ":7" << QStringList{"-q", "sset", "Master", "0%", "unmute"}
            << "setxkbmap" << "us" << true;
    }

    // What cannot be proven here: the ALSA card chosen for the output
    // (the sandbox has no sound card) and the effect of each call.
    void peripherals()
    {
        QFETCH(QByteArray, config);
        QFETCH(QString, display);
        QFETCH(QStringList, amixer);
        QFETCH(QString, keyboardProgram);
        QFETCH(QString, keyboardArgument);
        QFETCH(bool, usbRefused);

        fake("amixer");
        fake("setxkbmap");
        fake("loadkeys");
        const QString rule = QStringLiteral("/etc/modprobe.d/zoderer-usb-storage.conf");
        // The opposite state before, so that the script must change it.
        if (usbRefused)
            QFile::remove(rule);
        else
            QVERIFY(Sandbox::writeFile(rule, "blacklist usb-storage\n"));
        QVERIFY(Sandbox::writeFile(configs + "/peripheral/peripheralconfig", config));

        QCOMPARE(run("/opt/zoderer/login/setperipheral.sh", {}, display).exitCode, 0);
        QCOMPARE(calls(fakeBin + "/amixer"), QList<QStringList>{amixer});
        const QStringList keyboardArguments = keyboardProgram == "loadkeys"
                                                  ? QStringList{"-q", keyboardArgument}
                                                  : QStringList{keyboardArgument};
        QCOMPARE(calls(fakeBin + "/" + keyboardProgram), QList<QStringList>{keyboardArguments});
        QCOMPARE(calls(fakeBin + (keyboardProgram == "loadkeys" ? "/setxkbmap" : "/loadkeys")).size(), 0);
        QCOMPARE(QFileInfo::exists(rule), usbRefused);
        if (usbRefused) {
            const QByteArray text = Sandbox::readFile(rule);
            QVERIFY(text.contains("\nblacklist usb-storage\n"));
            QVERIFY(text.contains("\ninstall usb-storage /bin/false\n"));
        }
    }

    void display_data()
    {
        QTest::addColumn<QByteArray>("resolution");
        QTest::addColumn<QByteArray>("colordepth");
        QTest::addColumn<QString>("display");
        QTest::addColumn<int>("xrandrExit");
        QTest::addColumn<QList<QStringList>>("xrandr");
        QTest::addColumn<QList<QStringList>>("fbset");

        const QList<QStringList> none;
        const QStringList query{"--query"};
        QTest::newRow("X: the primary output")
            << QByteArray("1280x720-60\n16\n") << QByteArray("16\n") << ":7" << 0
            << QList<QStringList>{query, {"--output", "DP-2", "--mode", "1280x720", "--rate", "60"}} << none;
        QTest::newRow("framebuffer")
            << QByteArray("1920x1080-60\n32\n") << QByteArray("16\n") << QString() << 0 << none
            << QList<QStringList>{{"-fb", "/dev/fb0", "-xres", "1920", "-yres", "1080", "-vxres", "1920", "-vyres",
                                   "1080", "-depth", "16"}};
        QTest::newRow("X unusable: framebuffer")
            << QByteArray("800x600-60\n24\n") << QByteArray() << ":7" << 1 << QList<QStringList>{query}
            << QList<QStringList>{
                   {"-fb", "/dev/fb0", "-xres", "800", "-yres", "600", "-vxres", "800", "-vyres", "600", "-depth", "24"}};
        QTest::newRow("no valid mode") << QByteArray("x600-60\n") << QByteArray("16\n") << QString() << 0 << none
                                       << none;
    }

    // What cannot be proven here: that a real output or framebuffer takes
    // the mode (the sandbox has neither).
    void display()
    {
        QFETCH(QByteArray, resolution);
        QFETCH(QByteArray, colordepth);
        QFETCH(QString, display);
        QFETCH(int, xrandrExit);
        QFETCH(QList<QStringList>, xrandr);
        QFETCH(QList<QStringList>, fbset);

        fake("xrandr", {"Screen 0: minimum 8 x 8, current 1024 x 768\n"
                        "HDMI-1 disconnected (normal left inverted right x axis y axis)\n"
                        "DP-1 connected 1024x768+0+0 (normal) 0mm x 0mm\n"
                        "DP-2 connected primary 1024x768+0+0 (normal) 0mm x 0mm\n"
                        "   1280x720      60.00\n",
                        xrandrExit});
        fake("fbset");
        QVERIFY(Sandbox::writeFile(configs + "/display/resolution", resolution));
        if (!colordepth.isEmpty())
            QVERIFY(Sandbox::writeFile(configs + "/display/colordepth", colordepth));
        const bool valid = !xrandr.isEmpty() || !fbset.isEmpty();
        QCOMPARE(run("/opt/zoderer/login/setdisplay.sh", {}, display).exitCode, valid ? 0 : 1);
        QCOMPARE(calls(fakeBin + "/xrandr"), xrandr);
        QCOMPARE(calls(fakeBin + "/fbset"), fbset);
    }

    void resetDisplay()
    {
        fake("fbset");
        QVERIFY(Sandbox::writeFile(configs + "/display/resolution", "1920x1080-60\n24\n"));
        QVERIFY(Sandbox::writeFile(configs + "/display/colordepth", "24\n"));
        QCOMPARE(run("/opt/zoderer/login/resetdisplay.sh").exitCode, 0);
        QCOMPARE(Sandbox::readFile(configs + "/display/resolution"), QByteArray("1024x768-60\n24\n"));
        QCOMPARE(Sandbox::readFile(configs + "/display/colordepth"), QByteArray("24\n"));
        QCOMPARE(calls(fakeBin + "/fbset"),
                 (QList<QStringList>{
                     {"-fb", "/dev/fb0", "-xres", "1024", "-yres", "768", "-vxres", "1024", "-vyres", "768", "-depth", "24"}}));
    }
};

SANDBOX_TEST_MAIN(TestDeviceScripts)
#include "tst_devicescripts.moc"
