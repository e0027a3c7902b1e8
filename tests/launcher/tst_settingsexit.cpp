#include "jyndebugonarm.h"
#include "launcherbuild.h"
#include "launchertest.h"
#include "requiredfile.h"
#include "settingsfixture.h"
#include "systemsetting.h"
#include "wificonnectdialog.h"
#include "wifinetworksetting.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include <optional>

using namespace SettingsFixture;

namespace {
const QString selection = QStringLiteral("/opt/zoderer/configs/network/Networkselection");
const QString debugLog = QStringLiteral("/tmp/jyndebug.txt");

// The outcome of an action that did not end the launcher.
constexpr int wentOn = -1;
// Neither ended nor done in time.
constexpr int stuck = -2;

std::optional<int> s_ending;

// Waits until the launcher ended or the page is done, and tells which.
template <typename Done>
int outcome(Done done)
{
    if (!QTest::qWaitFor([&done] { return s_ending.has_value() || done(); }, 10000))
        return stuck;
    return s_ending.value_or(wentOn);
}

int select()
{
    Systemsetting hub(nullptr);
    hub.networkselectdlg_fun();
    return outcome([] { return true; });
}

int apply()
{
    Systemsetting hub(nullptr);
    hub.networksettingdlg_fun(1);
    return outcome([] { return true; });
}

int scan()
{
    WifiNetworksetting page(nullptr);
    page.on_pushButton_scan_clicked();
    auto* button = page.findChild<QPushButton*>(QStringLiteral("pushButton_scan"));
    return outcome([button] { return button->isEnabled(); });
}

// The page's first status tick, a second after it is built.
int status()
{
    WifiNetworksetting page(nullptr);
    auto* ssid = page.findChild<QLabel*>(QStringLiteral("label_ssid"));
    return outcome([ssid] { return ssid->text() == text(77); });
}

int open(const QString& name)
{
    WifiNetworksetting page(nullptr);
    auto* list = page.findChild<QListWidget*>(QStringLiteral("listWidget_scan_result"));
    list->addItem(name);
    list->setCurrentRow(0);
    page.on_listWidget_scan_result_doubleClicked(list->currentIndex());
    const int result = outcome([] { return true; });
    // The connect dialog is a window of its own.
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (qobject_cast<WifiConnectDialog*>(window))
            delete window;
    }
    return result;
}
} // namespace

// The files that must exist: a launcher that cannot open them ends with
// status 1 (network type) or 0 (Wi-Fi files), the reduced build logging why.
// Built once per launcher build; the ending is recorded instead of taken.
class TestSettingsExit : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        jyndebugonarm::setFileName(debugLog);
        RequiredFile::setEnding([](int status) {
            if (!s_ending)
                s_ending = status;
        });
    }

    void init()
    {
        reset();
        QFile::remove(debugLog);
        s_ending.reset();
    }

    void networkTypeFile()
    {
        if constexpr (liteBuild) {
            // launcher-lite does not read it.
            QFile::remove(selection);
            QCOMPARE(select(), wentOn);
            return;
        }
        QCOMPARE(select(), wentOn);
        QFile::remove(selection);
        QCOMPARE(select(), 1);
        s_ending.reset();
        QCOMPARE(apply(), 1);
        s_ending.reset();
        // It is reached through the Wi-Fi directory.
        QVERIFY(Sandbox::writeFile(selection, "wired"));
        QDir(wifiDir).removeRecursively();
        QCOMPARE(select(), 1);
    }

    void scanListing()
    {
        if constexpr (liteBuild) {
            QFile::remove("/tmp/wifi/scan");
            QFile::remove(wifiDir + "scan_result_all.txt");
            QCOMPARE(scan(), 0);
            QCOMPARE(Sandbox::readFile(debugLog), QByteArray("scan_result_all.open fail\n"));
            return;
        }
        QCOMPARE(scan(), 0);
        s_ending.reset();
        QVERIFY(writeRadio("scan", "heading\n"));
        QCOMPARE(scan(), wentOn);
    }

    void missingStatusFile()
    {
        if constexpr (!liteBuild)
            QCOMPARE(status(), wentOn);
        QFile::remove("/tmp/wifi/status");
        QFile::remove(statusFile);
        QCOMPARE(status(), 0);
        if constexpr (liteBuild)
            QCOMPARE(Sandbox::readFile(debugLog), QByteArray("open check_net.txt fail!!\nexit\n"));
    }

    void savedPassphraseThatCannotBeRead()
    {
        if constexpr (!liteBuild) {
            // A network without a saved passphrase opens normally.
            QCOMPARE(open("Cafe"), wentOn);
        }
        QVERIFY(QDir().mkpath(wifiDir + "hotspotinfo/Cafe"));
        QCOMPARE(open("Cafe"), 0);
        if constexpr (liteBuild)
            QCOMPARE(Sandbox::readFile(debugLog), QByteArray("hotspotinfo open fail!!\nexit\n"));
    }
};

SANDBOX_GUI_TEST_MAIN(TestSettingsExit)
#include "tst_settingsexit.moc"
