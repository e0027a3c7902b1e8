#include "launchertest.h"
#include "mainstackwidget.h"
#include "mainwindow.h"
#include "systemsetting.h"
#include "usrmanger.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTimer>
#include <QWindow>

namespace {
const QString profiles = QStringLiteral("/opt/zoderer/configs/usrinfodir/");
const QString autologinFile = profiles + QStringLiteral("autologin");

int calls(const char* name)
{
    return int(Sandbox::recordedCalls(LauncherFixture::scriptPath(name)).size());
}
}

// The reduced build: seven-line profiles, no sign-in, no countdown, the
// 3-second automatic connection, the self-choosing network indicator.
class TestLauncherLite : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(LauncherFixture::installTexts(false));
    }

    void init()
    {
        LauncherFixture::resetTree();
        QFile::remove("/tmp/sandbox-calls.log");
        // The reduced build has no mode file and must not need one.
        QFile::remove("/opt/zoderer/configs/network/Networkselection");
    }

    void formsLackTheVersionCountdownAndCover()
    {
        Mainstackwidget page(nullptr);
        for (const char* name : {"label_selectRDP", "frame_3", "comboBox_selectRDP", "spinBox", "frame_cover"})
            QVERIFY2(!page.findChild<QWidget*>(name), name);
        QVERIFY(page.findChild<QWidget*>("checkBox_autoconnect"));
        Usrmanger manager(nullptr);
        for (const char* name : {"labels_selectRDP", "frame_7", "comboBox_selectRDP", "spinBox"})
            QVERIFY2(!manager.findChild<QWidget*>(name), name);
        QCOMPARE(page.findChild<QLabel*>("label_serverip")->text(), QString("zh 1"));
    }

    void profilesHaveSevenLines()
    {
        Mainstackwidget page(nullptr);
        edit(&page, "lineEdit_ipaddr")->setText("10.0.0.7");
        edit(&page, "lineEdit_usrname")->setText("al");
        edit(&page, "lineEdit_passwd")->setText("pw");
        edit(&page, "lineEdit_port")->setText("3389");
        page.findChild<QCheckBox*>("checkBox")->setChecked(false);
        page.findChild<QCheckBox*>("checkBox_autoconnect")->setChecked(true);
        page.findChild<QPushButton*>("pushButton_connect")->click();
        const QByteArray expected("10.0.0.7\nal\npw\n3389\n\n0\n1\n");
        QCOMPARE(Sandbox::readFile(profiles + "10.0.0.7.usr"), expected);
        QCOMPARE(Sandbox::readFile(profiles + "connectfile"), expected);
        QCOMPARE(calls("connect.sh"), 1);

        Usrmanger manager(nullptr);
        edit(&manager, "lineEdit_ip")->setText("10.0.0.8");
        manager.findChild<QPushButton*>("pushButton_create")->click();
        QCOMPARE(Sandbox::readFile(profiles + "10.0.0.8.usr").count('\n'), 7);
    }

    // A nine-line profile loads without harm; the password is always shown.
    void nineLineProfileLoadsAndShowsThePassword()
    {
        QVERIFY(LauncherFixture::writeProfile("10.0.0.1", {"10.0.0.1", "u", "secret", "3390", "d", "0", "1", "0", "40"}));
        Mainstackwidget page(nullptr);
        QCOMPARE(edit(&page, "lineEdit_passwd")->text(), QString("secret"));
        QCOMPARE(edit(&page, "lineEdit_port")->text(), QString("3390"));
        QVERIFY(!page.findChild<QCheckBox*>("checkBox")->isChecked());
        QCOMPARE(autoconnection_g, QString("1"));
        // The profile manager lists the profiles without a show() of its own.
        Usrmanger manager(nullptr);
        QCOMPARE(manager.findChild<QListWidget*>("listWidget")->count(), 1);
    }

    void settingsAndManagerOpenWithoutSignIn()
    {
        Mainstackwidget page(nullptr);
        QSignalSpy settings(&page, &Mainstackwidget::close_firtlogin_siger);
        QSignalSpy manager(&page, &Mainstackwidget::close_firtlogin_siger_usrmanger);
        page.findChild<QPushButton*>("pushButton_setting")->click();
        page.findChild<QPushButton*>("pushButton_usrico")->click();
        QCOMPARE(settings.count(), 1);
        QCOMPARE(manager.count(), 1);
        QVERIFY(!page.findChild<QWidget*>("logingwidget"));
    }

    // Three seconds after start, once; the flag file is left as it is.
    void automaticConnectionAfterThreeSeconds()
    {
        QVERIFY(LauncherFixture::writeProfile("10.0.0.1", {"10.0.0.1", "u", "p", "3389", "", "1", "1"}));
        QVERIFY(Sandbox::writeFile(autologinFile, "x1\n"));
        Mainstackwidget page(nullptr);
        QTest::qWait(2500);
        QCOMPARE(calls("connect.sh"), 0);
        QTRY_COMPARE_WITH_TIMEOUT(calls("connect.sh"), 1, 2000);
        QCOMPARE(Sandbox::readFile(autologinFile), QByteArray("x1\n"));
        QTest::qWait(3500);
        QCOMPARE(calls("connect.sh"), 1);
    }

    void noAutomaticConnectionWhenTheProfileSaysNo()
    {
        QVERIFY(LauncherFixture::writeProfile("10.0.0.1", {"10.0.0.1", "u", "p", "3389", "", "1", "0"}));
        QVERIFY(Sandbox::writeFile(autologinFile, "1\n"));
        Mainstackwidget page(nullptr);
        // Its three-second timer fires and finds the profile's "no".
        QTimer* autologin = nullptr;
        for (QTimer* timer : page.findChildren<QTimer*>()) {
            if (timer->isSingleShot() && timer->interval() == 3000)
                autologin = timer;
        }
        QVERIFY(autologin);
        QSignalSpy fired(autologin, &QTimer::timeout);
        QVERIFY(fired.wait(6000));
        QCOMPARE(calls("connect.sh"), 0);
    }

    void indicatorChoosesTheInterfaceItself()
    {
        Mainstackwidget page(nullptr);
        auto* label = page.findChild<QLabel*>("label_localipaddr");
        auto* picture = page.findChild<QPushButton*>("pushButton_netstaus");
        page.update_ipaddr_fun();
        QCOMPARE(label->text(), QString("zh 52  192.168.1.20"));
        QVERIFY(picture->styleSheet().contains(":/images/connect.png"));

        // A cable in without an address yet is waited for, not shown as out.
        QCOMPARE(Sandbox::run("ip", {"addr", "flush", "dev", "eth0"}), 0);
        page.update_ipaddr_fun();
        QCOMPARE(Sandbox::run("ip", {"addr", "add", "192.168.1.20/24", "brd", "+", "dev", "eth0"}), 0);
        QCOMPARE(label->text(), QString("zh 52  zh 53"));
        QVERIFY(picture->styleSheet().contains(":/images/neterror.png"));

        QVERIFY(LauncherFixture::setEth0(false));
        page.update_ipaddr_fun();
        page.update_ipaddr_fun();
        QCOMPARE(label->text(), QString("zh 52  127.0.0.1"));
        QVERIFY(picture->styleSheet().contains(":/images/disconnect.png"));
        // The wired link is restarted once, by the scripts, never by ifconfig.
        QCOMPARE(calls("setwifis/ifconfig_eth0_down.sh"), 1);
        QCOMPARE(calls("setwifis/ifconfig_eth0_up.sh"), 1);
        QVERIFY(Sandbox::standinCalls().filter("ifconfig").isEmpty());

        // With a Wi-Fi address the indicator shows it, whatever the mode.
        QCOMPARE(Sandbox::sandbox({"peer-if", "wlan0=192.168.2.20/24"}), 0);
        page.update_ipaddr_fun();
        QCOMPARE(label->text(), QString("zh 52  192.168.2.20"));
        QVERIFY(picture->styleSheet().contains(":/images/connect_wifi.png"));
        QCOMPARE(Sandbox::run("ip", {"link", "del", "wlan0"}), 0);
        QVERIFY(LauncherFixture::setEth0(true));
    }

    void windowDifferences()
    {
        QVERIFY(LauncherFixture::writeProfile("10.0.0.1", {"10.0.0.1"}));
        MainWindow window;
        window.show();
        QTRY_COMPARE(calls("setwifis/armbox_init.sh"), 1);
        auto* stack = window.findChild<QStackedWidget*>("stackedWidget");
        QCOMPARE(stack->currentIndex(), 2);
        // The lite picture, as much of it as the screen shows.
        const QImage background = window.palette().brush(QPalette::Window).texture().toImage();
        const QRect shown(QPoint(0, 0), QGuiApplication::primaryScreen()->size().boundedTo(QSize(1366, 768)));
        QCOMPARE(background.convertToFormat(QImage::Format_RGB32),
                 QImage(":/images/1366x768.png").copy(shown).convertToFormat(QImage::Format_RGB32));

        QTest::keyClick(window.windowHandle(), Qt::Key_R, Qt::ControlModifier | Qt::AltModifier);
        QCOMPARE(calls("resetdisplay.sh"), 0);
        for (int press = 1; press <= 100; ++press)
            QTest::keyClick(window.windowHandle(), Qt::Key_F1);
        QCOMPARE(calls("resetdisplay.sh"), 1);

        // Leaving the settings does not reload the profiles; leaving the manager does.
        auto* page = static_cast<Mainstackwidget*>(stack->widget(2));
        auto* combo = page->findChild<QComboBox*>("comboBox_server");
        emit page->close_firtlogin_siger();
        QCOMPARE(stack->currentIndex(), 4);
        QVERIFY(LauncherFixture::writeProfile("10.0.0.2", {"10.0.0.2"}));
        emit static_cast<Systemsetting*>(stack->widget(4))->close_setting_siger();
        QCOMPARE(stack->currentIndex(), 2);
        QCOMPARE(combo->count(), 1);
        emit page->close_firtlogin_siger_usrmanger();
        QCOMPARE(stack->currentIndex(), 3);
        // The manager lists the profiles of the moment it opens.
        QCOMPARE(stack->widget(3)->findChild<QListWidget*>("listWidget")->count(), 2);
        emit static_cast<Usrmanger*>(stack->widget(3))->close_usrmangerr_siger();
        QCOMPARE(combo->count(), 2);
    }

private:
    QLineEdit* edit(QWidget* page, const char* name) { return page->findChild<QLineEdit*>(name); }
};

SANDBOX_GUI_TEST_MAIN(TestLauncherLite)
#include "tst_launcher_lite.moc"
