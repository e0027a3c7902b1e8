#include "checknet.h"
#include "displaysetting.h"
#include "jyndebugonarm.h"
#include "launchertest.h"
#include "networksetting.h"
#include "passwdsetting.h"
#include "settingsfixture.h"
#include "soundsetting.h"
#include "systemsetting.h"
#include "wificonnectdialog.h"
#include "wifinetworksetting.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTextEdit>

using namespace SettingsFixture;

namespace {
const QString debugLog = QStringLiteral("/tmp/jyndebug.txt");
const QString selection = QStringLiteral("/opt/zoderer/configs/network/Networkselection");
const QString fakeBin = QStringLiteral("/tmp/fakebin");
} // namespace

// What launcher-lite's settings do differently.
class TestSettingsLite : public QObject
{
    Q_OBJECT

private:
    void click(QWidget* root, const char* name)
    {
        QTest::mouseClick(child<QAbstractButton>(root, name), Qt::LeftButton, Qt::NoModifier,
                          QPoint(5, 5));
    }
    QString current(Systemsetting& hub)
    {
        return child<QStackedWidget>(&hub, "stackedWidget")->currentWidget()->objectName();
    }

private slots:
    void initTestCase()
    {
        jyndebugonarm::setFileName(debugLog);
        QVERIFY(Sandbox::writeFile(fakeBin + "/ping", "#!/bin/sh\necho \"ping args: $*\"\n", true));
        qputenv("PATH", (fakeBin + ":").toUtf8() + qgetenv("PATH"));
    }

    void init()
    {
        reset();
        QFile::remove(debugLog);
        QFile::remove(debugLog + ".1");
    }

    void hubWithoutPasswordPageOrReloads()
    {
        QVERIFY(Sandbox::writeFile(configs + "display/resolution", "800x600-60\n24\n"));
        QVERIFY(Sandbox::writeFile(configs + "display/colordepth", "24\n"));
        Systemsetting hub(nullptr);
        hub.show();
        QStackedWidget* stack = child<QStackedWidget>(&hub, "stackedWidget");
        QStringList pages;
        for (int i = 0; i < stack->count(); ++i)
            pages << stack->widget(i)->objectName();
        QCOMPARE(pages,
                 QStringList({"page", "page_2", "Displaysetting", "Networksetting", "Soundsetting",
                              "Checknet", "Systermifno", "SelectNetDialog", "WifiNetworksetting"}));
        QPushButton* passwd = child<QPushButton>(&hub, "pushButton_passwdsetting");
        QVERIFY(!passwd->isEnabled() && !passwd->isVisible());
        QCOMPARE(passwd->text(), QString("passwd"));

        // Pages keep what they read at construction.
        QVERIFY(Sandbox::writeFile(configs + "display/resolution", "1920x1080-60\n32\n"));
        QVERIFY(Sandbox::writeFile(configs + "display/colordepth", "32\n"));
        click(&hub, "pushButton_soundsetting");
        click(&hub, "pushButton_displaysetting");
        QCOMPARE(current(hub), QString("Displaysetting"));
        QVERIFY(child<QRadioButton>(&hub, "radioButton_800x600p")->isChecked());
        QCOMPARE(child<QComboBox>(&hub, "comboBox_depth")->currentText(), QString("24"));
    }

    void networkTypeIsOnlyAChoiceOfPage()
    {
        Systemsetting hub(nullptr);
        QVERIFY(Sandbox::writeFile(selection, "wired"));
        MessageBoxAnswerer answerer(QMessageBox::Yes);
        click(&hub, "pushButton_lansetting");
        QCOMPARE(current(hub), QString("SelectNetDialog"));
        QVERIFY(!child<QRadioButton>(&hub, "radioButton_wifi")->isChecked());
        QVERIFY(!child<QRadioButton>(&hub, "radioButton_wireline")->isChecked());
        click(&hub, "pbtn_ok");
        QCOMPARE(current(hub), QString("SelectNetDialog"));

        click(&hub, "radioButton_wifi");
        click(&hub, "pbtn_ok");
        QCOMPARE(current(hub), QString("WifiNetworksetting"));
        click(&hub, "pushButton_lansetting");
        click(&hub, "radioButton_wireline");
        click(&hub, "pbtn_ok");
        QCOMPARE(current(hub), QString("Networksetting"));
        QVERIFY(answerer.boxes.isEmpty());
        QCOMPARE(Sandbox::readFile(selection), QByteArray("wired"));
        QVERIFY(LauncherFixture::laterScriptHasRun());
        QStringList run = scriptOrder();
        run.removeAll("check_wifi_status.sh");
        QVERIFY(run.isEmpty());
    }

    void wiredSaveRunsOnlySetnetwork()
    {
        QVERIFY(Sandbox::writeFile(configs + "network/netconfig",
                                   "static\n10.1.1.5\n255.0.0.0\n10.1.1.1\n\n\n"));
        Networksetting page(nullptr);
        QCOMPARE(child<QLineEdit>(&page, "lineEdit_autoip")->text(), QString("10.1.1.5"));
        MessageBoxAnswerer answerer(QMessageBox::Yes);
        click(&page, "pushButton_save");
        QCOMPARE(answerer.boxes.size(), 1);
        QTRY_COMPARE(Sandbox::recordedCalls(loginScript("setnetwork.sh")).size(), 1);
        QVERIFY(LauncherFixture::laterScriptHasRun());
        QVERIFY(Sandbox::recordedCalls(loginScript("ifconfig_wlan0_down.sh")).isEmpty());
    }

    void displayOffersThreeDepths()
    {
        QVERIFY(Sandbox::writeFile(configs + "display/colordepth", "24\n"));
        Displaysetting page(nullptr);
        QComboBox* depth = child<QComboBox>(&page, "comboBox_depth");
        QCOMPARE(depth->count(), 3);
        QCOMPARE(depth->currentText(), QString("24"));
        QCOMPARE(depth->itemText(1), QString("24"));
    }

    void soundCardCaption()
    {
        Soundsetting page(nullptr);
        QCOMPARE(child<QLabel>(&page, "label_soundcard")->text(), text(107));
    }

    void wifiPageDifferences()
    {
        QVERIFY(writeRadio("status", associatedStatus("Cafe", "10.0.0.8")));
        WifiNetworksetting page(nullptr);
        page.show();
        QVERIFY(!child<QPushButton>(&page, "pushButton_dis"));
        QVERIFY(!child<QPushButton>(&page, "pushButton_delete"));
        QTRY_COMPARE(child<QLabel>(&page, "label_ip")->text(), QString("10.0.0.8"));
        QTRY_VERIFY(
            Sandbox::readFile(debugLog).startsWith("ip_address= ip_address=\nip =10.0.0.8\n"));

        // The setwifi script is waited for.
        MessageBoxAnswerer answerer(QMessageBox::Yes);
        click(&page, "pushButton_save");
        QCOMPARE(Sandbox::recordedCalls(wifiScript("setwifi.sh")).size(), 1);

        QTest::keyClick(&page, Qt::Key_Escape);
        QVERIFY(!page.isVisible());
    }

    void debugLogIsCapped()
    {
        const QByteArray old(512 * 1024 - 1, 'x');
        QVERIFY(Sandbox::writeFile(debugLog, old));
        jyndebugonarm(QStringLiteral("last"));
        QCOMPARE(Sandbox::readFile(debugLog), old + "last\n");
        // Grown to the limit: moved aside whole, the next line starts anew.
        jyndebugonarm(QStringLiteral("next"));
        QCOMPARE(Sandbox::readFile(debugLog), QByteArray("next\n"));
        QCOMPARE(Sandbox::readFile(debugLog + ".1"), old + "last\n");
    }

    void connectDialogDifferences()
    {
        QVERIFY(writeRadio("after-connect", associatedStatus("Cafe", "10.0.0.9")));
        WifiConnectDialog dialog(nullptr);
        dialog.putinfo("Cafe", "");
        dialog.show();
        clearScriptOrder();
        child<QLineEdit>(&dialog, "lineEdit_passworld")->setText("pass word");
        click(&dialog, "pushButton_connect");
        QTRY_COMPARE(child<QLabel>(&dialog, "label_connection_status")->text(), QString("Cafe"));
        QStringList run = scriptOrder();
        run.removeAll("setwifi.sh");
        QCOMPARE(run,
                 QStringList({"connectwifi.sh", "sleep1.sh", "sleep1.sh", "sleep1.sh", "sleep1.sh",
                              "check_wifi_status.sh"}));
        QVERIFY(QFile::exists(wifiDir + "wpa_supplicant_connect.conf"));
        QVERIFY(!QFile::exists(wifiDir + "wpa_supplicant.conf"));
        QTest::keyClick(&dialog, Qt::Key_Escape);
        QVERIFY(!dialog.isVisible());
    }

    void passwordPageOnlyShowsFields()
    {
        Passwdsetting page(nullptr);
        for (const char* action :
             {"pushButton_save_new", "pushButto_save_change", "pushButto_delete"})
            QVERIFY(!child<QPushButton>(&page, action));
        QVERIFY(child<QPushButton>(&page, "pushButton_back"));
        QCOMPARE(child<QLabel>(&page, "label_passwd")->text(), QString("password:"));
        QCOMPARE(child<QFrame>(&page, "frame_2")->styleSheet(),
                 QString("border-image: url(:/images/lineedit.png);"));
        QCOMPARE(child<QLineEdit>(&page, "lineEdit_passwd")->echoMode(), QLineEdit::Password);
    }

    void networkCheckPingsAProfile()
    {
        {
            Checknet page(nullptr);
            QVERIFY(!child<QLineEdit>(&page, "lineEdit_ip"));
            QCOMPARE(child<QComboBox>(&page, "comboBox")->count(), 0);
            click(&page, "pushButton_check");
            QTRY_COMPARE(child<QTextEdit>(&page, "textEdit")->toPlainText(),
                         QString("ping args: -c 5\n"));
        }
        QVERIFY(LauncherFixture::writeProfile("10.0.0.7",
                                              {"10.0.0.7", "u", "p", "3389", "", "0", "0"}));
        QVERIFY(LauncherFixture::writeProfile("server.example", {"server.example"}));
        QVERIFY(Sandbox::writeFile(configs + "usrinfodir/notes.txt", "x"));
        Checknet page(nullptr);
        QComboBox* profiles = child<QComboBox>(&page, "comboBox");
        QCOMPARE(profiles->count(), 2);
        QCOMPARE(profiles->itemText(0), QString("10.0.0.7"));
        QCOMPARE(profiles->itemText(1), QString("server.example"));
        QTextEdit* output = child<QTextEdit>(&page, "textEdit");
        QVERIFY(output->isReadOnly());
        profiles->setCurrentIndex(1);
        click(&page, "pushButton_check");
        QTRY_COMPARE(output->toPlainText(), QString("ping args: -c 5 -- server.example\n"));
    }
};

SANDBOX_GUI_TEST_MAIN(TestSettingsLite)
#include "tst_settingslite.moc"
