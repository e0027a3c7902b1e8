#include "sandboxtestmain.h"
#include "settingsfixture.h"

#include <QDir>
#include <QFile>
#include <QProcess>

using namespace SettingsFixture;

namespace {
const QString selection = QStringLiteral("/opt/zoderer/configs/network/Networkselection");
const QString debugLog = QStringLiteral("/tmp/jyndebug.txt");

// The exit status of one action in a fresh launcher process.
int runAction(const char* program, const QStringList& arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(QString::fromLatin1(program), arguments);
    if (!process.waitForFinished(20000) || process.exitStatus() != QProcess::NormalExit)
        return -1;
    return process.exitCode();
}
} // namespace

// The files that must exist: a launcher that cannot open them ends with
// status 1 (network type) or 0 (Wi-Fi files), the reduced build logging why.
class TestSettingsExit : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        reset();
        QFile::remove(debugLog);
    }

    void networkTypeFile()
    {
        QCOMPARE(runAction(SETTINGSEXIT_PATH, {"select"}), 3);
        QFile::remove(selection);
        QCOMPARE(runAction(SETTINGSEXIT_PATH, {"select"}), 1);
        QCOMPARE(runAction(SETTINGSEXIT_PATH, {"apply"}), 1);
        // launcher-lite does not read it.
        QCOMPARE(runAction(SETTINGSEXIT_LITE_PATH, {"select"}), 3);
        // It is reached through the Wi-Fi directory.
        QVERIFY(Sandbox::writeFile(selection, "wired"));
        QDir(wifiDir).removeRecursively();
        QCOMPARE(runAction(SETTINGSEXIT_PATH, {"select"}), 1);
    }

    void scanListing()
    {
        QCOMPARE(runAction(SETTINGSEXIT_PATH, {"scan"}), 0);
        QVERIFY(writeRadio("scan", "heading\n"));
        QCOMPARE(runAction(SETTINGSEXIT_PATH, {"scan"}), 3);
        QFile::remove("/tmp/wifi/scan");
        QFile::remove(wifiDir + "scan_result_all.txt");
        QCOMPARE(runAction(SETTINGSEXIT_LITE_PATH, {"scan"}), 0);
        QCOMPARE(Sandbox::readFile(debugLog), QByteArray("scan_result_all.open fail\n"));
    }

    void missingStatusFile()
    {
        QCOMPARE(runAction(SETTINGSEXIT_PATH, {"status"}), 3);
        QFile::remove("/tmp/wifi/status");
        QFile::remove(statusFile);
        QCOMPARE(runAction(SETTINGSEXIT_PATH, {"status"}), 0);
        QCOMPARE(runAction(SETTINGSEXIT_LITE_PATH, {"status"}), 0);
        QCOMPARE(Sandbox::readFile(debugLog), QByteArray("open check_net.txt fail!!\nexit\n"));
    }

    void savedPassphraseThatCannotBeRead()
    {
        // A network without a saved passphrase opens normally.
        QCOMPARE(runAction(SETTINGSEXIT_PATH, {"open", "Cafe"}), 3);
        QVERIFY(QDir().mkpath(wifiDir + "hotspotinfo/Cafe"));
        QCOMPARE(runAction(SETTINGSEXIT_PATH, {"open", "Cafe"}), 0);
        QCOMPARE(runAction(SETTINGSEXIT_LITE_PATH, {"open", "Cafe"}), 0);
        QCOMPARE(Sandbox::readFile(debugLog), QByteArray("hotspotinfo open fail!!\nexit\n"));
    }
};

SANDBOX_TEST_MAIN(TestSettingsExit)
#include "tst_settingsexit.moc"
