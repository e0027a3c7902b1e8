#include "launchertest.h"
#include "settingsfixture.h"
#include "wificonnectdialog.h"
#include "wifinetworksetting.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTimer>

using namespace SettingsFixture;

namespace {
const QString hotspotDir = QStringLiteral("/opt/zoderer/configs/network/wificonfigs/hotspotinfo/");
const QString supplicant =
    QStringLiteral("/opt/zoderer/configs/network/wificonfigs/wpa_supplicant.conf");
const QString supplicantConnect =
    QStringLiteral("/opt/zoderer/configs/network/wificonfigs/wpa_supplicant_connect.conf");
const QByteArray heading = "bssid / frequency / signal level / flags / ssid\n";

QByteArray supplicantFile(const QByteArray& ssid, const QByteArray& psk)
{
    return "ctrl_interface=/var/run/wpa_supplicant\nnetwork={\n        ssid=" + ssid
        + "\n        psk=" + psk + "\n}\n";
}

WifiConnectDialog* openDialog()
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* dialog = qobject_cast<WifiConnectDialog*>(widget); dialog && dialog->isVisible())
            return dialog;
    }
    return nullptr;
}
} // namespace

// The Wi-Fi page and its connect dialog against a simulated radio.
class TestWifiSettings : public QObject
{
    Q_OBJECT

private:
    void scan(WifiNetworksetting& page, const QByteArray& listing)
    {
        QVERIFY(writeRadio("scan", listing));
        QPushButton* button = child<QPushButton>(&page, "pushButton_scan");
        QTest::mouseClick(button, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(button->isEnabled(), 20000);
    }

    // The scripts of a connect that run in turn; setwifi.sh runs beside them.
    QStringList sequence()
    {
        QStringList run = scriptOrder();
        run.removeAll("setwifi.sh");
        return run;
    }

    QStringList rows(WifiNetworksetting& page)
    {
        QStringList names;
        QListWidget* list = child<QListWidget>(&page, "listWidget_scan_result");
        for (int i = 0; i < list->count(); ++i)
            names << list->item(i)->text();
        return names;
    }

    WifiConnectDialog* open(WifiNetworksetting& page, int row)
    {
        QListWidget* list = child<QListWidget>(&page, "listWidget_scan_result");
        list->setCurrentRow(row);
        const QPoint at = list->visualItemRect(list->item(row)).center();
        // A double click is a press, a release and the double click itself.
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, at);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, at);
        return openDialog();
    }

    // Presses Connect and waits until the dialog is ready again.
    void connectWith(WifiConnectDialog* dialog, const QString& passphrase)
    {
        QLineEdit* field = child<QLineEdit>(dialog, "lineEdit_passworld");
        field->setText(passphrase);
        QPushButton* connect = child<QPushButton>(dialog, "pushButton_connect");
        QTest::mouseClick(connect, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(connect->isEnabled(), 20000);
    }

    void closeDialogs()
    {
        while (WifiConnectDialog* dialog = openDialog()) {
            dialog->hide();
            dialog->deleteLater();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
    }

private slots:
    void init() { reset(); }
    void cleanup() { closeDialogs(); }

    void scanListsNetworkNames()
    {
        WifiNetworksetting page(nullptr);
        page.show();
        scan(page,
             heading
                 + "00:11:22:33:44:55\t2412\t-40\t[WPA2-PSK-CCMP][ESS]\tOffice Net\n"
                   "00:11:22:33:44:56\t2437\t-70\t[WPA2-PSK-CCMP][ESS]\n"
                   "just a name\n"
                   "00:11:22:33:44:58\t5180\t-60\t[WPA2-PSK-CCMP][ESS]\tOffice Net\n");
        QCOMPARE(rows(page), QStringList({"Office Net", "just a name", "Office Net"}));
        scan(page, heading);
        QVERIFY(rows(page).isEmpty());
        QCOMPARE(Sandbox::recordedCalls(wifiScript("scan_result.sh")).size(), 2);
    }

    void statusTickShowsTheAssociation()
    {
        WifiNetworksetting page(nullptr);
        QLabel* ssid = child<QLabel>(&page, "label_ssid");
        QLabel* ip = child<QLabel>(&page, "label_ip");
        QPushButton* disconnect = child<QPushButton>(&page, "pushButton_dis");
        QVERIFY(writeRadio("status", associatedStatus("Office Net", "192.168.8.23")));
        QTRY_COMPARE(ssid->text(), QString("Office Net"));
        QTRY_COMPARE(ip->text(), QString("192.168.8.23"));
        QVERIFY(disconnect->isEnabled());

        // Associated elsewhere, no address line last: the address stays.
        QVERIFY(writeRadio("status",
                           associatedStatus("Cafe") + "ip_address=10.0.0.9\nkey_mgmt=WPA2-PSK\n"));
        QTRY_COMPARE(ssid->text(), QString("Cafe"));
        QCOMPARE(ip->text(), QString("192.168.8.23"));

        QVERIFY(writeRadio("status", "wpa_state=SCANNING\n"));
        QTRY_COMPARE(ip->text(), QString("0,0,0,0"));
        QCOMPARE(ssid->text(), text(77));
        QVERIFY(!disconnect->isEnabled());
    }

    void statusTickDoesNotHoldTheGui()
    {
        // A slow status script: the page keeps serving events meanwhile.
        FakeScript slow;
        slow.sleepSeconds = 4;
        QVERIFY(Sandbox::writeRecordingScript(wifiScript("check_wifi_status.sh"), slow));
        WifiNetworksetting page(nullptr);
        QTRY_COMPARE(Sandbox::recordedCalls(wifiScript("check_wifi_status.sh")).size(), 1);
        QElapsedTimer timer;
        timer.start();
        QTest::qWait(50);
        QVERIFY(timer.elapsed() < 2000);
        // Ticks that find the script still running start no second one.
        QSignalSpy tick(page.findChild<QTimer*>(QString(), Qt::FindDirectChildrenOnly),
                        &QTimer::timeout);
        QVERIFY(tick.wait(3000));
        QVERIFY(LauncherFixture::laterScriptHasRun());
        QCOMPARE(Sandbox::recordedCalls(wifiScript("check_wifi_status.sh")).size(), 1);
    }

    void escapeIsSwallowed()
    {
        WifiNetworksetting page(nullptr);
        page.show();
        QTest::keyClick(&page, Qt::Key_Escape);
        QVERIFY(page.isVisible());
        QCOMPARE(page.result(), int(QDialog::Rejected));
    }

    void doubleClickOpensTheDialogWithTheSavedPassphrase()
    {
        WifiNetworksetting page(nullptr);
        page.show();
        QVERIFY(Sandbox::writeFile(hotspotDir + "Office Net", "saved pass\nsecond line\n"));
        scan(page, heading + "a\t1\t2\t[ESS]\tOffice Net\na\t1\t2\t[ESS]\tCafe\n");

        WifiConnectDialog* dialog = open(page, 0);
        QVERIFY(dialog);
        QVERIFY(dialog->isModal());
        QCOMPARE(child<QLabel>(dialog, "label_ssid")->text(), QString("Office Net"));
        QLineEdit* field = child<QLineEdit>(dialog, "lineEdit_passworld");
        QCOMPARE(field->text(), QString("saved pass"));
        QCOMPARE(field->echoMode(), QLineEdit::Password);
        QTest::mouseClick(child<QCheckBox>(dialog, "checkBox_showpasswd"), Qt::LeftButton,
                          Qt::NoModifier, QPoint(5, 5));
        QCOMPARE(field->echoMode(), QLineEdit::Normal);
        QTest::mouseClick(child<QPushButton>(dialog, "pushButton_back"), Qt::LeftButton);
        QTRY_VERIFY(!openDialog());

        dialog = open(page, 1);
        QVERIFY(dialog);
        QCOMPARE(child<QLineEdit>(dialog, "lineEdit_passworld")->text(), QString());
        QCOMPARE(child<QLineEdit>(dialog, "lineEdit_passworld")->echoMode(), QLineEdit::Password);
        QCOMPARE(child<QLabel>(dialog, "label_connection_status")->text(), text(77));
        QCOMPARE(child<QLabel>(dialog, "label_ipaddress")->text(), QString("0,0,0,0"));
        QVERIFY(!child<QPushButton>(dialog, "pushButton")->isEnabled());
        // Escape does not close it.
        QTest::keyClick(dialog, Qt::Key_Escape);
        QVERIFY(dialog->isVisible());
    }

    void dialogShowsAnotherAssociation()
    {
        QVERIFY(writeRadio("status", associatedStatus("Other Net", "10.7.7.7")));
        WifiConnectDialog dialog(nullptr);
        dialog.putinfo("Office Net", "");
        QCOMPARE(child<QLabel>(&dialog, "label_connection_status")->text(), QString("Other Net"));
        QCOMPARE(child<QLabel>(&dialog, "label_ipaddress")->text(), QString("10.7.7.7"));
        QVERIFY(child<QPushButton>(&dialog, "pushButton")->isEnabled());
        QCOMPARE(Sandbox::recordedCalls(wifiScript("check_wifi_status.sh")).size(), 1);
    }

    void connectWithTheRightPassphrase()
    {
        QVERIFY(writeRadio("after-connect", associatedStatus("Office Net", "192.168.8.40")));
        WifiConnectDialog dialog(nullptr);
        dialog.putinfo("Office Net", "old pass");
        dialog.show();
        clearScriptOrder();
        QLabel* status = child<QLabel>(&dialog, "label_connection_status");
        connectWith(&dialog, "new pass");
        QCOMPARE(sequence(),
                 QStringList({"ifconfig_eth0_down.sh", "connectwifi.sh", "sleep1.sh", "sleep1.sh",
                              "sleep1.sh", "sleep1.sh", "check_wifi_status.sh"}));
        QTRY_COMPARE(Sandbox::recordedCalls(wifiScript("setwifi.sh")).size(), 1);
        QCOMPARE(status->text(), QString("Office Net"));
        QCOMPARE(child<QLabel>(&dialog, "label_ipaddress")->text(), QString("192.168.8.40"));
        QVERIFY(child<QPushButton>(&dialog, "pushButton")->isEnabled());
        QVERIFY(child<QPushButton>(&dialog, "pushButton_back")->isEnabled());
        QCOMPARE(Sandbox::readFile(hotspotDir + "Office Net"), QByteArray("new pass\n"));
        QCOMPARE(Sandbox::readFile(supplicantConnect),
                 supplicantFile("\"Office Net\"", "\"new pass\""));
        QCOMPARE(Sandbox::readFile(supplicant), supplicantFile("\"Office Net\"", "\"new pass\""));
    }

    // A file that cannot be written stops the connection with a message;
    // the launcher stays, and no later script acts on the old settings.
    void unwritableFileStopsTheConnection_data()
    {
        QTest::addColumn<QString>("blocked");
        QTest::addColumn<QStringList>("scripts");
        QTest::addColumn<int>("status");
        QTest::newRow("connect file") << supplicantConnect << QStringList() << 79;
        QTest::newRow("passphrase file") << hotspotDir + "Office Net"
                                         << QStringList({"ifconfig_eth0_down.sh", "connectwifi.sh"}) << 79;
        QTest::newRow("supplicant file") << supplicant
                                         << QStringList({"ifconfig_eth0_down.sh", "connectwifi.sh", "sleep1.sh",
                                                         "sleep1.sh", "sleep1.sh", "sleep1.sh",
                                                         "check_wifi_status.sh", "setwifi.sh"})
                                         << 0;
    }

    void unwritableFileStopsTheConnection()
    {
        QFETCH(QString, blocked);
        QFETCH(QStringList, scripts);
        QFETCH(int, status);
        QVERIFY(writeRadio("after-connect", associatedStatus("Office Net", "192.168.8.40")));
        QFile::remove(blocked);
        QVERIFY(QDir().mkpath(blocked));
        WifiConnectDialog dialog(nullptr);
        dialog.putinfo("Office Net", "");
        dialog.show();
        clearScriptOrder();
        MessageBoxAnswerer answerer(QMessageBox::Yes);
        connectWith(&dialog, "new pass");
        QTRY_COMPARE(answerer.boxes.size(), 1);
        QCOMPARE(answerer.boxes.first().text, text(122));
        QStringList run = scriptOrder();
        std::sort(run.begin(), run.end());
        std::sort(scripts.begin(), scripts.end());
        QCOMPARE(run, scripts);
        QCOMPARE(child<QLabel>(&dialog, "label_connection_status")->text(),
                 status ? text(status) : QString("Office Net"));
        QVERIFY(QDir(blocked).removeRecursively());
    }

    void statusLineFollowsTheSteps()
    {
        // Slow pauses: the label shows each step while the scripts run.
        QVERIFY(writeRadio("after-connect", associatedStatus("Office Net", "192.168.8.40")));
        FakeScript pause;
        pause.commands = "sleep 0.2\n";
        QVERIFY(Sandbox::writeRecordingScript(wifiScript("sleep1.sh"), pause));
        WifiConnectDialog dialog(nullptr);
        dialog.putinfo("Office Net", "");
        dialog.show();
        QLabel* status = child<QLabel>(&dialog, "label_connection_status");
        child<QLineEdit>(&dialog, "lineEdit_passworld")->setText("pass word");
        QTest::mouseClick(child<QPushButton>(&dialog, "pushButton_connect"), Qt::LeftButton);
        QCOMPARE(status->text(), text(80));
        QVERIFY(!child<QPushButton>(&dialog, "pushButton_connect")->isEnabled());
        QVERIFY(!child<QPushButton>(&dialog, "pushButton_back")->isEnabled());
        QVERIFY(!child<QPushButton>(&dialog, "pushButton")->isEnabled());
        QTRY_COMPARE(status->text(), text(55));
        QTRY_COMPARE(status->text(), QString("Office Net"));
    }

    void failedAssociation()
    {
        QVERIFY(writeRadio("after-connect", "wpa_state=4WAY_HANDSHAKE\n"));
        QVERIFY(Sandbox::writeFile(hotspotDir + "Office Net", "old pass\n"));
        WifiConnectDialog dialog(nullptr);
        dialog.putinfo("Office Net", "old pass");
        dialog.show();
        clearScriptOrder();
        connectWith(&dialog, "wrong pass");
        QCOMPARE(scriptOrder(),
                 QStringList({"ifconfig_eth0_down.sh", "connectwifi.sh", "connectwifi_fail.sh"}));
        QCOMPARE(child<QLabel>(&dialog, "label_connection_status")->text(), text(79));
        QCOMPARE(child<QLabel>(&dialog, "label_ipaddress")->text(), QString("0,0,0,0"));
        QVERIFY(!child<QPushButton>(&dialog, "pushButton")->isEnabled());
        QVERIFY(child<QPushButton>(&dialog, "pushButton_back")->isEnabled());
        QVERIFY(!QFile::exists(supplicant));
        QVERIFY(Sandbox::recordedCalls(wifiScript("setwifi.sh")).isEmpty());
        // The passphrase that did not associate is not kept.
        QCOMPARE(Sandbox::readFile(hotspotDir + "Office Net"), QByteArray("old pass\n"));
    }

    void associatedWithoutAddress()
    {
        QVERIFY(writeRadio("after-connect", associatedStatus("Cafe")));
        WifiConnectDialog dialog(nullptr);
        dialog.putinfo("Cafe", "");
        child<QLabel>(&dialog, "label_ipaddress")->setText("1.2.3.4");
        dialog.show();
        connectWith(&dialog, "cafe pass");
        QCOMPARE(child<QLabel>(&dialog, "label_connection_status")->text(), text(56));
        QCOMPARE(child<QLabel>(&dialog, "label_ipaddress")->text(), QString("1.2.3.4"));
        QVERIFY(!child<QPushButton>(&dialog, "pushButton")->isEnabled());
        QCOMPARE(Sandbox::readFile(hotspotDir + "Cafe"), QByteArray("cafe pass\n"));
        QCOMPARE(Sandbox::readFile(supplicant), supplicantFile("\"Cafe\"", "\"cafe pass\""));
    }

    void namesThatNeedEncoding()
    {
        // A name with a slash and a quote: the passphrase file stays inside
        // its directory, the supplicant file gets the name in hexadecimal.
        const QString name = "../evil\"";
        QVERIFY(writeRadio("after-connect", associatedStatus(name, "10.0.0.2")));
        WifiNetworksetting page(nullptr);
        page.show();
        scan(page, heading + "a\t1\t2\t[ESS]\t../evil\"\n");
        QCOMPARE(rows(page), QStringList({name}));
        WifiConnectDialog* dialog = open(page, 0);
        QVERIFY(dialog);
        connectWith(dialog, "pass\"word");
        const QStringList stored = QDir(hotspotDir).entryList(QDir::Files);
        QCOMPARE(stored.size(), 1);
        QVERIFY(stored.at(0).startsWith("%ssid%"));
        QCOMPARE(Sandbox::readFile(hotspotDir + stored.at(0)), QByteArray("pass\"word\n"));
        QVERIFY(!QFile::exists("/opt/zoderer/configs/network/evil\""));
        const QList<QByteArray> lines = Sandbox::readFile(supplicant).split('\n');
        QCOMPARE(lines.size(), 6);
        QCOMPARE(lines.at(2), "        ssid=" + name.toUtf8().toHex());
        QVERIFY(lines.at(3).startsWith("        psk="));
        QVERIFY(!lines.at(3).contains('"'));
        QTest::mouseClick(child<QPushButton>(dialog, "pushButton_back"), Qt::LeftButton);
        QTRY_VERIFY(!openDialog());

        // The saved passphrase is found again, and forgetting removes it.
        dialog = open(page, 0);
        QVERIFY(dialog);
        QCOMPARE(child<QLineEdit>(dialog, "lineEdit_passworld")->text(), QString("pass\"word"));
        closeDialogs();
        child<QListWidget>(&page, "listWidget_scan_result")->setCurrentRow(0);
        QTest::mouseClick(child<QPushButton>(&page, "pushButton_delete"), Qt::LeftButton);
        QVERIFY(QDir(hotspotDir).entryList(QDir::Files).isEmpty());
        QVERIFY(!QFile::exists(supplicant));
    }

    void passphraseIsRefused_data()
    {
        QTest::addColumn<QString>("passphrase");
        QTest::addColumn<int>("textId");
        QTest::newRow("empty") << "" << 91;
        QTest::newRow("seven") << "1234567" << 91;
        QTest::newRow("sixty-four") << QString(64, 'x') << 91;
        QTest::newRow("short with quote") << "a\"b" << 91;
        QTest::newRow("tab") << "tab\there and long" << 121;
        QTest::newRow("line end") << "line\nend of it" << 121;
    }

    void passphraseIsRefused()
    {
        QFETCH(QString, passphrase);
        QFETCH(int, textId);
        WifiConnectDialog dialog(nullptr);
        dialog.putinfo("Cafe", "");
        dialog.show();
        clearScriptOrder();
        QLineEdit* field = child<QLineEdit>(&dialog, "lineEdit_passworld");
        field->setText(passphrase);
        QTest::mouseClick(child<QPushButton>(&dialog, "pushButton_connect"), Qt::LeftButton);
        QVERIFY(field->text().isEmpty());
        QCOMPARE(field->placeholderText(), text(textId));
        QVERIFY(field->styleSheet().contains("border:2px solid red"));
        QVERIFY(child<QPushButton>(&dialog, "pushButton_connect")->isEnabled());
        QVERIFY(LauncherFixture::laterScriptHasRun());
        QVERIFY(scriptOrder().isEmpty());
        QVERIFY(!QFile::exists(supplicantConnect));
        // The next try starts with a normal field.
        QVERIFY(writeRadio("after-connect", associatedStatus("Cafe", "10.0.0.3")));
        connectWith(&dialog, "good pass");
        QVERIFY(!field->styleSheet().contains("red"));
    }

    void longNameIsShownWhole_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("whole");
        QTest::newRow("short") << "Cafe" << true;
        QTest::newRow("33 characters") << "Conference-Room-3rd-Floor-East-01" << true;
        QTest::newRow("too long for any font") << QString(70, 'W') + "end" << false;
    }

    void longNameIsShownWhole()
    {
        QFETCH(QString, name);
        QFETCH(bool, whole);
        WifiConnectDialog dialog(nullptr);
        dialog.putinfo(name, "");
        dialog.show();
        // What is shown fits; a name shortened keeps both ends and is whole in
        // the tooltip.
        QLabel* label = child<QLabel>(&dialog, "label_ssid");
        QVERIFY(label->fontMetrics().horizontalAdvance(label->text())
                <= label->contentsRect().width());
        QCOMPARE(label->text() == name, whole);
        QCOMPARE(label->toolTip(), whole ? QString() : name);
        QVERIFY(label->text().startsWith(name.left(4)) && label->text().endsWith(name.right(2)));
    }

    void wifiScriptsRunOneAtATime()
    {
        // Slow scripts: a status tick would fall into the connect.
        QVERIFY(writeRadio("delay", "0.3"));
        QVERIFY(writeRadio("after-connect", associatedStatus("Cafe", "10.0.0.5")));
        WifiNetworksetting page(nullptr);
        page.show();
        scan(page, heading + "a\t1\t2\t[ESS]\tCafe\n");
        WifiConnectDialog* dialog = open(page, 0);
        QVERIFY(dialog);
        clearScriptOrder();
        connectWith(dialog, "cafe pass");
        QCOMPARE(child<QLabel>(dialog, "label_connection_status")->text(), QString("Cafe"));
        QVERIFY(scriptOrder().contains("check_wifi_status.sh"));
        QCOMPARE(overlappingScripts(), QStringList());
    }

    void disconnectInTheDialog()
    {
        QVERIFY(writeRadio("status", associatedStatus("Cafe", "10.0.0.3")));
        WifiConnectDialog dialog(nullptr);
        dialog.putinfo("Cafe", "");
        dialog.show();
        QPushButton* disconnect = child<QPushButton>(&dialog, "pushButton");
        QVERIFY(disconnect->isEnabled());
        QLabel* status = child<QLabel>(&dialog, "label_connection_status");
        QTest::mouseClick(disconnect, Qt::LeftButton);
        QVERIFY(status->text() == text(84) || status->text() == text(77));
        QVERIFY(!disconnect->isEnabled());
        QTRY_COMPARE(status->text(), text(77));
        QCOMPARE(child<QLabel>(&dialog, "label_ipaddress")->text(), QString("0,0,0,0"));
        QCOMPARE(Sandbox::recordedCalls(wifiScript("connectwifi_fail.sh")).size(), 1);
        QVERIFY(child<QPushButton>(&dialog, "pushButton_back")->isEnabled());
    }

    void forgetTheAssociatedNetwork()
    {
        QVERIFY(writeRadio("status", associatedStatus("Office Net", "192.168.8.23")));
        QVERIFY(Sandbox::writeFile(hotspotDir + "Office Net", "pass\n"));
        QVERIFY(Sandbox::writeFile(hotspotDir + "Cafe", "other\n"));
        QVERIFY(Sandbox::writeFile(supplicant, supplicantFile("\"Cafe\"", "\"other\"")));
        WifiNetworksetting page(nullptr);
        page.show();
        QTRY_COMPARE(child<QLabel>(&page, "label_ssid")->text(), QString("Office Net"));
        scan(page, heading + "a\t1\t2\t[ESS]\tCafe\na\t1\t2\t[ESS]\tOffice Net\n");

        QPushButton* forget = child<QPushButton>(&page, "pushButton_delete");
        child<QListWidget>(&page, "listWidget_scan_result")->setCurrentRow(1);
        QTest::mouseClick(forget, Qt::LeftButton);
        QCOMPARE(rows(page), QStringList({"Cafe"}));
        QVERIFY(!QFile::exists(hotspotDir + "Office Net"));
        QVERIFY(QFile::exists(hotspotDir + "Cafe"));
        // The saved network the device starts with is another one.
        QVERIFY(QFile::exists(supplicant));
        QVERIFY(!child<QPushButton>(&page, "pushButton_dis")->isEnabled());
        QTRY_COMPARE(Sandbox::recordedCalls(wifiScript("connectwifi_fail.sh")).size(), 1);

        // Another network: no disconnect.
        QVERIFY(writeRadio("status", associatedStatus("Office Net", "192.168.8.23")));
        child<QListWidget>(&page, "listWidget_scan_result")->setCurrentRow(0);
        QTest::mouseClick(forget, Qt::LeftButton);
        QVERIFY(rows(page).isEmpty());
        QVERIFY(!QFile::exists(hotspotDir + "Cafe"));
        QVERIFY(!QFile::exists(supplicant));
        QVERIFY(LauncherFixture::laterScriptHasRun());
        QCOMPARE(Sandbox::recordedCalls(wifiScript("connectwifi_fail.sh")).size(), 1);
        // Nothing selected: nothing happens.
        QTest::mouseClick(forget, Qt::LeftButton);
    }

    void addressingIsSavedAndApplied()
    {
        WifiNetworksetting page(nullptr);
        QVERIFY(Sandbox::writeFile(wifiDir + "wificonfig.txt",
                                   "static\n10.2.2.2\n255.255.255.0\n10.2.2.1\n\n\n"));
        page.show();
        QVERIFY(child<QRadioButton>(&page, "radioButton_staticdns")->isChecked());
        QCOMPARE(child<QLineEdit>(&page, "lineEdit_ip")->text(), QString("10.2.2.2"));
        QLineEdit* dns2 = child<QLineEdit>(&page, "lineEdit_dns2");
        QTest::keyClicks(dns2, "1.1.1.1x");
        {
            MessageBoxAnswerer answerer(QMessageBox::Yes);
            QTest::mouseClick(child<QPushButton>(&page, "pushButton_save"), Qt::LeftButton);
            QCOMPARE(answerer.boxes.size(), 1);
            QCOMPARE(answerer.boxes.at(0).text, text(73));
        }
        QTest::keyClick(dns2, Qt::Key_Backspace);
        MessageBoxAnswerer answerer(QMessageBox::Yes);
        QTest::mouseClick(child<QPushButton>(&page, "pushButton_save"), Qt::LeftButton);
        QCOMPARE(answerer.boxes.size(), 1);
        QCOMPARE(answerer.boxes.at(0).text, text(48));
        QCOMPARE(Sandbox::readFile(wifiDir + "wificonfig.txt"),
                 QByteArray("static\n10.2.2.2\n255.255.255.0\n10.2.2.1\n\n1.1.1.1\n"));
        QTRY_COMPARE(Sandbox::recordedCalls(wifiScript("setwifi.sh")).size(), 1);

        QTest::mouseClick(child<QRadioButton>(&page, "radioButton_autoip"), Qt::LeftButton,
                          Qt::NoModifier, QPoint(5, 5));
        QTest::mouseClick(child<QPushButton>(&page, "pushButton_save"), Qt::LeftButton);
        QCOMPARE(Sandbox::readFile(wifiDir + "wificonfig.txt"),
                 QByteArray("auto\n \n \n \n \n \n"));
    }
};

SANDBOX_GUI_TEST_MAIN(TestWifiSettings)
#include "tst_wifisettings.moc"
