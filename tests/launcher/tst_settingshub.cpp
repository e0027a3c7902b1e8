#include "displaysetting.h"
#include "launchertest.h"
#include "networksetting.h"
#include "selectnetdialog.h"
#include "settingsfixture.h"
#include "systemsetting.h"
#include "wifinetworksetting.h"

#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSlider>
#include <QStackedWidget>

using namespace SettingsFixture;

namespace {
const QString selection = QStringLiteral("/opt/zoderer/configs/network/Networkselection");
}

// The settings hub and the network-type switch.
class TestSettingsHub : public QObject
{
    Q_OBJECT

private:
    QStackedWidget* stack(Systemsetting& hub)
    {
        return child<QStackedWidget>(&hub, "stackedWidget");
    }
    QString current(Systemsetting& hub) { return stack(hub)->currentWidget()->objectName(); }

    // Chooses a type on the selection page and presses OK.
    void choose(Systemsetting& hub, const char* radio)
    {
        QTest::mouseClick(child<QPushButton>(&hub, "pushButton_lansetting"), Qt::LeftButton);
        QCOMPARE(current(hub), QString("SelectNetDialog"));
        child<QRadioButton>(&hub, radio)->setChecked(true);
        QTest::mouseClick(child<QPushButton>(&hub, "pbtn_ok"), Qt::LeftButton);
    }

    QStringList switchScriptsRun()
    {
        QStringList run;
        for (const QString& script : scriptOrder()) {
            if (script != "check_wifi_status.sh")
                run << script;
        }
        return run;
    }

private slots:
    void init() { reset(); }

    void pagesAndTexts()
    {
        Systemsetting hub(nullptr);
        QStringList pages;
        for (int i = 0; i < stack(hub)->count(); ++i)
            pages << stack(hub)->widget(i)->objectName();
        QCOMPARE(pages,
                 QStringList({"page", "page_2", "Displaysetting", "Networksetting", "Soundsetting",
                              "Passwdsetting", "Checknet", "Systermifno", "SelectNetDialog",
                              "WifiNetworksetting"}));
        QCOMPARE(current(hub), QString("Displaysetting"));
        // Every page is drawn inside the stack, none in a window of its own.
        for (int i = 0; i < stack(hub)->count(); ++i)
            QVERIFY2(!stack(hub)->widget(i)->isWindow(), qPrintable(pages.at(i)));
        const QList<QPair<const char*, int>> buttons = {{"pushButton_passwdsetting", 101},
                                                        {"pushButton_displaysetting", 16},
                                                        {"pushButton_lansetting", 17},
                                                        {"pushButton_soundsetting", 18},
                                                        {"pushButton_netcheck", 19},
                                                        {"pushButton_sysinfo", 20},
                                                        {"pushButton_back", 15}};
        for (const auto& [name, id] : buttons)
            QCOMPARE(child<QPushButton>(&hub, name)->text(), text(id));
        QSignalSpy closed(&hub, &Systemsetting::close_setting_siger);
        QTest::mouseClick(child<QPushButton>(&hub, "pushButton_back"), Qt::LeftButton);
        QCOMPARE(closed.count(), 1);
    }

    void buttonsBringTheirPagesFreshlyFilled()
    {
        Systemsetting hub(nullptr);
        hub.show();
        QVERIFY(Sandbox::writeFile(configs + "display/resolution", "1920x1080-60\n32\n"));
        hub.fistdisplay();
        QCOMPARE(current(hub), QString("Displaysetting"));
        QVERIFY(child<QRadioButton>(&hub, "radioButton_1920x1080p")->isChecked());

        QVERIFY(Sandbox::writeFile(configs + "display/resolution", "800x600-60\n16\n"));
        QTest::mouseClick(child<QPushButton>(&hub, "pushButton_displaysetting"), Qt::LeftButton);
        QVERIFY(child<QRadioButton>(&hub, "radioButton_800x600p")->isChecked());

        const QList<QPair<const char*, const char*>> buttons = {
            {"pushButton_soundsetting", "Soundsetting"},
            {"pushButton_passwdsetting", "Passwdsetting"},
            {"pushButton_netcheck", "Checknet"},
            {"pushButton_sysinfo", "Systermifno"}};
        for (const auto& [button, page] : buttons) {
            QTest::mouseClick(child<QPushButton>(&hub, button), Qt::LeftButton);
            QCOMPARE(current(hub), QString(page));
        }
        // The sound page reloads on the way in.
        QVERIFY(Sandbox::writeFile(configs + "peripheral/peripheralconfig",
                                   "62\nnone\nnone\n0\n0\nHDMI\n"));
        QTest::mouseClick(child<QPushButton>(&hub, "pushButton_soundsetting"), Qt::LeftButton);
        QCOMPARE(child<QSlider>(&hub, "horizontalSlider")->value(), 99);
    }

    void recordedTypeIsPreselected()
    {
        Systemsetting hub(nullptr);
        QVERIFY(Sandbox::writeFile(selection, "wireless"));
        QTest::mouseClick(child<QPushButton>(&hub, "pushButton_lansetting"), Qt::LeftButton);
        QVERIFY(child<QRadioButton>(&hub, "radioButton_wifi")->isChecked());
        for (const QByteArray& other : {QByteArray(""), QByteArray("wired"),
                                        QByteArray("wireless\n"), QByteArray("Wireless")}) {
            QVERIFY(Sandbox::writeFile(selection, other));
            QTest::mouseClick(child<QPushButton>(&hub, "pushButton_lansetting"), Qt::LeftButton);
            QVERIFY2(child<QRadioButton>(&hub, "radioButton_wireline")->isChecked()
                         == (other != "wireless\n"),
                     other.constData());
        }
    }

    void emptyFileCountsAsWired()
    {
        Systemsetting hub(nullptr);
        QVERIFY(Sandbox::writeFile(selection, ""));
        MessageBoxAnswerer answerer(QMessageBox::No);
        choose(hub, "radioButton_wireline");
        QCOMPARE(current(hub), QString("Networksetting"));
        QVERIFY(answerer.boxes.isEmpty());

        // The wireless choice asks; No leaves everything as it was.
        choose(hub, "radioButton_wifi");
        QCOMPARE(answerer.boxes.size(), 1);
        QCOMPARE(answerer.boxes.at(0).title, QString("Question"));
        QCOMPARE(answerer.boxes.at(0).text, text(94));
        QCOMPARE(current(hub), QString("SelectNetDialog"));
        QCOMPARE(Sandbox::readFile(selection), QByteArray(""));
        QVERIFY(LauncherFixture::laterScriptHasRun());
        QVERIFY(switchScriptsRun().isEmpty());
    }

    void switchingToWiredWritesTheTypeAndRunsTheLoginScripts()
    {
        Systemsetting hub(nullptr);
        QVERIFY(Sandbox::writeFile(selection, "wireless"));
        QVERIFY(Sandbox::writeFile(configs + "network/netconfig",
                                   "static\n10.1.1.5\n255.0.0.0\n10.1.1.1\n\n\n"));
        MessageBoxAnswerer answerer(QMessageBox::Yes);
        choose(hub, "radioButton_wireline");
        QCOMPARE(answerer.boxes.size(), 1);
        QCOMPARE(Sandbox::readFile(selection), QByteArray("wired"));
        QCOMPARE(current(hub), QString("Networksetting"));
        QCOMPARE(child<QLineEdit>(&hub, "lineEdit_autoip")->text(), QString("10.1.1.5"));
        QTRY_COMPARE(Sandbox::recordedCalls(loginScript("ifconfig_wlan0_down.sh")).size(), 1);
        QTRY_COMPARE(Sandbox::recordedCalls(loginScript("setnetwork.sh")).size(), 1);
        QCOMPARE(Sandbox::recordedCalls(loginScript("setnetwork.sh")).at(0), QStringList());
        QVERIFY(Sandbox::recordedCalls(wifiScript("ifconfig_eth0_down.sh")).isEmpty());
    }

    void switchingToWirelessRunsTheWifiScripts()
    {
        Systemsetting hub(nullptr);
        MessageBoxAnswerer answerer(QMessageBox::Yes);
        choose(hub, "radioButton_wifi");
        QCOMPARE(answerer.boxes.size(), 1);
        QCOMPARE(Sandbox::readFile(selection), QByteArray("wireless"));
        QCOMPARE(current(hub), QString("WifiNetworksetting"));
        QTRY_COMPARE(Sandbox::recordedCalls(wifiScript("ifconfig_eth0_down.sh")).size(), 1);
        QTRY_COMPARE(Sandbox::recordedCalls(wifiScript("connectwifi_defaul.sh")).size(), 1);
        QVERIFY(Sandbox::recordedCalls(loginScript("ifconfig_wlan0_down.sh")).isEmpty());
        QVERIFY(Sandbox::recordedCalls(loginScript("setnetwork.sh")).isEmpty());

        // The recorded type again: no question, no script.
        clearScriptOrder();
        choose(hub, "radioButton_wifi");
        QCOMPARE(answerer.boxes.size(), 1);
        QCOMPARE(current(hub), QString("WifiNetworksetting"));
        QVERIFY(LauncherFixture::laterScriptHasRun());
        QVERIFY(switchScriptsRun().isEmpty());
    }

    void keptTypeKeepsTheInterfaces_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("readOnly");
        QTest::newRow("no") << int(QMessageBox::No) << false;
        QTest::newRow("escape") << int(QMessageBox::NoButton) << false;
        QTest::newRow("read-only disk") << int(QMessageBox::Yes) << true;
    }

    void keptTypeKeepsTheInterfaces()
    {
        QFETCH(int, answer);
        QFETCH(bool, readOnly);
        Systemsetting hub(nullptr);
        QVERIFY(Sandbox::writeFile(selection, "wireless"));
        MessageBoxAnswerer answerer{QMessageBox::StandardButton(answer)};
        ReadOnlyDirectory readOnlyDir(QFileInfo(selection).absolutePath(), readOnly);
        QVERIFY(readOnlyDir.ok());
        choose(hub, "radioButton_wireline");
        QCOMPARE(answerer.boxes.size(), readOnly ? 2 : 1);
        if (readOnly)
            QCOMPARE(answerer.boxes.last().text, text(122));
        QCOMPARE(Sandbox::readFile(selection), QByteArray("wireless"));
        QCOMPARE(current(hub), QString("SelectNetDialog"));
        QVERIFY(LauncherFixture::laterScriptHasRun());
        QVERIFY(switchScriptsRun().isEmpty());
    }
};

SANDBOX_GUI_TEST_MAIN(TestSettingsHub)
#include "tst_settingshub.moc"
