#include "launchertest.h"
#include "mainstackwidget.h"
#include "logingwidget.h"
#include "mymessagebox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>

namespace {
const QString profiles = QStringLiteral("/opt/zoderer/configs/usrinfodir/");
const QString connectFile = profiles + QStringLiteral("connectfile");
const QString autologinFile = profiles + QStringLiteral("autologin");
const QString netcheckFile = QStringLiteral("/opt/zoderer/configs/network/netcheck");
const QString modeFile = QStringLiteral("/opt/zoderer/configs/network/Networkselection");

QString script(const char* name)
{
    return LauncherFixture::scriptPath(name);
}

int calls(const char* name)
{
    return int(Sandbox::recordedCalls(script(name)).size());
}

// A network check that leaves the given first line in the ping result file.
void checknetWrites(const QByteArray& line)
{
    Sandbox::writeFile(script("checknet.sh"), "#!/bin/sh\necho '" + line + "' > " + netcheckFile.toUtf8() + "\n", true);
}

void ip(const QStringList& arguments)
{
    QCOMPARE(Sandbox::run("ip", arguments), 0);
}
}

// The connection page of the full launcher: profiles, connect, power, the
// administrator gate, the automatic connection and the network indicator.
class TestMainstackwidget : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(LauncherFixture::installTexts());
    }

    void init()
    {
        LauncherFixture::resetTree();
        // The session script records what the current-connection file held when it ran.
        Sandbox::writeFile(script("connect.sh"),
                           "#!/bin/sh\ncat " + connectFile.toUtf8() + " >> /tmp/connect.seen\necho >> /tmp/connect.seen\n",
                           true);
        QFile::remove("/tmp/connect.seen");
        QFile::remove("/tmp/sandbox-calls.log");
        m_unexpected = new MessageBoxAnswerer(QMessageBox::NoButton, 3000);
    }

    void cleanup()
    {
        delete m_page;
        m_page = nullptr;
        QVERIFY2(m_unexpected->boxes.isEmpty(), qPrintable(m_unexpected->boxes.value(0).text));
        delete m_unexpected;
    }

    void emptyDirectoryGivesDefaults()
    {
        create();
        QCOMPARE(combo()->count(), 0);
        QCOMPARE(edit("lineEdit_ipaddr")->text(), QString());
        QCOMPARE(edit("lineEdit_port")->text(), QString("3389"));
        QCOMPARE(m_page->findChild<QComboBox*>("comboBox_selectRDP")->currentText(), QString("RDP 8.1"));
        QCOMPARE(m_page->findChild<QLabel*>("label_serverip")->text(), QString("en 1"));
    }

    void currentConnectionIsSelected()
    {
        for (const char* name : {"10.0.0.1", "10.0.0.2", "10.0.0.3"})
            QVERIFY(LauncherFixture::writeProfile(name, {name, QString("user ") + name}));
        QVERIFY(Sandbox::writeFile(connectFile, "10.0.0.2\nwhatever\n"));
        create();
        QCOMPARE(combo()->count(), 3);
        QCOMPARE(combo()->currentText(), QString("10.0.0.2"));
        QCOMPARE(edit("lineEdit_usrname")->text(), QString("user 10.0.0.2"));
    }

    void countdownOutsideThreeToNinetyNineLoadsThree_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("seconds");
        QTest::newRow("2") << "2" << 3;
        QTest::newRow("100") << "100" << 3;
        QTest::newRow("text") << "soon" << 3;
        QTest::newRow("empty") << "" << 3;
        QTest::newRow("99") << "99" << 99;
        QTest::newRow("42") << "42" << 42;
    }

    void countdownOutsideThreeToNinetyNineLoadsThree()
    {
        QFETCH(QString, line);
        QFETCH(int, seconds);
        QVERIFY(LauncherFixture::writeProfile("10.0.0.1", {"10.0.0.1", "u", "p", "3389", "", "1", "1", "0", line}));
        create();
        QCOMPARE(m_page->findChild<QSpinBox*>("spinBox")->value(), seconds);
    }

    // Line 6 "1" shows the password; otherwise the field keeps a typed
    // password but not one loaded from another profile.
    // Only a "0" unchecks the boxes, so an empty line 7 reads as on.
    void rememberAndAutomaticLinesAreReadThePageWay()
    {
        QVERIFY(LauncherFixture::writeProfile("10.0.0.1", {"10.0.0.1", "u", "secret", "3389", "", "1", ""}));
        QVERIFY(LauncherFixture::writeProfile("10.0.0.2", {"10.0.0.2", "v", "hidden", "3389", "", "0", "0"}));
        create();
        QCOMPARE(edit("lineEdit_passwd")->text(), QString("secret"));
        QVERIFY(check("checkBox")->isChecked());
        QVERIFY(check("checkBox_autoconnect")->isChecked());
        QCOMPARE(autoconnection_g, QString());

        edit("lineEdit_passwd")->clear();
        QTest::keyClicks(edit("lineEdit_passwd"), "typed");
        combo()->setCurrentIndex(1);
        QCOMPARE(edit("lineEdit_passwd")->text(), QString("typed"));
        QVERIFY(!check("checkBox")->isChecked());
        QVERIFY(!check("checkBox_autoconnect")->isChecked());
        QCOMPARE(autoconnection_g, QString("0"));

        combo()->setCurrentIndex(0);
        QCOMPARE(edit("lineEdit_passwd")->text(), QString("secret"));
        combo()->setCurrentIndex(1);
        QCOMPARE(edit("lineEdit_passwd")->text(), QString());
    }

    void missingProfileShowsTheNameAsAddress()
    {
        // Listed, but cannot be read as a file.
        QVERIFY(QDir().mkpath(profiles + "10.0.0.4.usr"));
        create();
        QCOMPARE(edit("lineEdit_ipaddr")->text(), QString("10.0.0.4"));
        QCOMPARE(edit("lineEdit_usrname")->text(), QString());
    }

    void connectSavesCopiesChecksAndStartsTheSession()
    {
        create();
        fill("10.0.0.7", "alice", "pw", "3390", "dom");
        check("checkBox")->setChecked(false);
        check("checkBox_autoconnect")->setChecked(true);
        m_page->findChild<QSpinBox*>("spinBox")->setValue(12);
        button("pushButton_connect")->click();

        const QByteArray expected("10.0.0.7\nalice\npw\n3390\ndom\n0\n1\n0\n12\n");
        QCOMPARE(Sandbox::readFile(profiles + "10.0.0.7.usr"), expected);
        QCOMPARE(Sandbox::readFile(connectFile), expected);
        QCOMPARE(combo()->count(), 1);
        QCOMPARE(combo()->currentText(), QString("10.0.0.7"));
        QCOMPARE(calls("checknet.sh"), 1);
        QCOMPARE(Sandbox::readFile("/tmp/connect.seen"), expected + "\n");
    }

    void failedPingShowsTheBoxAndStartsNoSession()
    {
        checknetWrites("PINGFAIL");
        create();
        fill("10.0.0.8", "u", "p", "3389", "");
        MessageBoxAnswerer answerer(QMessageBox::Ok);
        QCOMPARE(m_page->checknet_fun(), 1);
        button("pushButton_connect")->click();
        QCOMPARE(answerer.boxes.size(), 2);
        QCOMPARE(answerer.boxes.first().title, QString(" "));
        QCOMPARE(answerer.boxes.first().text, QString("en 57"));
        QVERIFY(!QFile::exists("/tmp/connect.seen"));
        // The profile is saved all the same.
        QVERIFY(QFile::exists(profiles + "10.0.0.8.usr"));

        checknetWrites("PINGOK now");
        QCOMPARE(m_page->checknet_fun(), 0);
        QCOMPARE(m_page->checknet_fun_wan_delay(), 0);
        QCOMPARE(answerer.boxes.size(), 2);
    }

    void noUsableInterfaceShowsTheOtherBox()
    {
        create();
        QVERIFY(LauncherFixture::setEth0(false));
        MessageBoxAnswerer answerer(QMessageBox::Ok);
        QCOMPARE(m_page->net_detect("eth0"), 1);
        QCOMPARE(m_page->net_detect("wlan0"), -1);
        QCOMPARE(m_page->checknet_fun_wan_delay(), 2);
        QCOMPARE(answerer.boxes.size(), 0);
        fill("10.0.0.8", "u", "p", "3389", "");
        button("pushButton_connect")->click();
        QVERIFY(LauncherFixture::setEth0(true));
        QCOMPARE(answerer.boxes.size(), 1);
        QCOMPARE(answerer.boxes.first().text, QString("en 58"));
        QVERIFY(!QFile::exists("/tmp/connect.seen"));
    }

    // An address that would name a file outside the profile directory is
    // refused like an invalid one: nothing written, copied or started.
    void addressWithPathIsRefused()
    {
        QVERIFY(Sandbox::writeFile(connectFile, "old\n"));
        create();
        fill("../../x", "u", "p", "3389", "");
        MessageBoxAnswerer answerer(QMessageBox::Yes);
        button("pushButton_connect")->click();
        QCOMPARE(answerer.boxes.size(), 1);
        QCOMPARE(answerer.boxes.first().text, QString("en 69"));
        QCOMPARE(edit("lineEdit_ipaddr")->styleSheet(), QString("border:2px solid red"));
        QCOMPARE(edit("lineEdit_ipaddr")->placeholderText(), QString("en 69"));
        QCOMPARE(QDir(profiles).entryList(QDir::Files), QStringList({"connectfile"}));
        QVERIFY(!QFile::exists("/opt/zoderer/x.usr"));
        QCOMPARE(Sandbox::readFile(connectFile), QByteArray("old\n"));
        QVERIFY(!QFile::exists("/tmp/connect.seen"));

        fill("10.0.0.9", "u", "p", "3389", "");
        button("pushButton_connect")->click();
        QVERIFY(!edit("lineEdit_ipaddr")->styleSheet().contains("red"));
        QVERIFY(QFile::exists("/tmp/connect.seen"));
    }

    // Nothing is checked or started unless the current-connection file now
    // holds the profile shown; the fields keep what the user typed.
    void connectWithoutTheProfileInPlaceStartsNothing_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("readOnly");
        QTest::addColumn<bool>("connectFileIsDirectory");
        QTest::addColumn<QString>("message");
        QTest::newRow("empty address") << "" << false << false << "en 69";
        QTest::newRow("full or read-only disk") << "10.0.0.7" << true << false << "en 122";
        QTest::newRow("current connection not writable") << "10.0.0.7" << false << true << "en 122";
    }

    void connectWithoutTheProfileInPlaceStartsNothing()
    {
        QFETCH(QString, address);
        QFETCH(bool, readOnly);
        QFETCH(bool, connectFileIsDirectory);
        QFETCH(QString, message);
        QVERIFY(connectFileIsDirectory ? QDir().mkpath(connectFile) : Sandbox::writeFile(connectFile, "10.0.0.50\n"));
        create();
        fill(address, "u", "p", "3389", "");
        const QByteArray before = Sandbox::readFile(connectFile);
        ReadOnlyDirectory readOnlyDir(profiles, readOnly);
        QVERIFY(readOnlyDir.ok());
        MessageBoxAnswerer answerer(QMessageBox::Yes);
        button("pushButton_connect")->click();
        QCOMPARE(answerer.texts(), QStringList{message});
        QCOMPARE(Sandbox::readFile(connectFile), before);
        QCOMPARE(calls("checknet.sh"), 0);
        QVERIFY(!QFile::exists("/tmp/connect.seen"));
        QCOMPARE(edit("lineEdit_ipaddr")->text(), address);
    }

    // A result left by an earlier check never passes for this one.
    void checkWithoutAFreshResultFails_data()
    {
        QTest::addColumn<QByteArray>("check");
        QTest::addColumn<bool>("readOnly");
        QTest::newRow("script missing") << QByteArray() << false;
        QTest::newRow("script fails") << QByteArray("exit 1") << false;
        QTest::newRow("result not writable") << QByteArray("echo PINGOK > " + netcheckFile.toUtf8()) << true;
    }

    void checkWithoutAFreshResultFails()
    {
        QFETCH(QByteArray, check);
        QFETCH(bool, readOnly);
        QFile::remove(script("checknet.sh"));
        QVERIFY(check.isNull() || Sandbox::writeFile(script("checknet.sh"), "#!/bin/sh\n" + check + "\n", true));
        QCOMPARE(Sandbox::readFile(netcheckFile), QByteArray("PINGOK\n"));
        create();
        ReadOnlyDirectory readOnlyDir(QFileInfo(netcheckFile).path(), readOnly);
        QVERIFY(readOnlyDir.ok());
        QCOMPARE(m_page->checknet_fun_wan_delay(), 1);
    }

    void powerButtonsRunTheirScripts()
    {
        create();
        button("pushButton_powoff")->click();
        QCOMPARE(calls("poweroff.sh"), 1);
        QCOMPARE(calls("reboot.sh"), 0);
        button("pushButton_reboot")->click();
        QCOMPARE(calls("reboot.sh"), 1);
        QCOMPARE(Sandbox::recordedCalls(script("reboot.sh")).first(), QStringList());
    }

    void tabCyclesThroughTheFields()
    {
        create();
        QVERIFY(QTest::qWaitForWindowActive(m_page));
        edit("lineEdit_ipaddr")->setFocus();
        for (const char* next : {"lineEdit_usrname", "lineEdit_passwd", "lineEdit_port", "lineEdit_domain", "checkBox",
                                 "lineEdit_ipaddr"}) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget()->objectName(), QString(next));
        }
    }

    void settingsAndManagerOpenOnlyAfterSignIn()
    {
        create();
        QSignalSpy settings(m_page, &Mainstackwidget::close_firtlogin_siger);
        QSignalSpy manager(m_page, &Mainstackwidget::close_firtlogin_siger_usrmanger);
        auto* cover = m_page->findChild<QFrame*>("frame_cover");
        QVERIFY(!cover->isVisible());

        button("pushButton_setting")->click();
        QVERIFY(cover->isVisible());
        QCOMPARE(cover->geometry(), m_page->rect());
        signIn("wrong");
        QVERIFY(login());
        QCOMPARE(settings.count(), 0);
        login()->findChild<QPushButton*>("pushButton_cancle")->click();
        QTRY_VERIFY(!login());
        QVERIFY(!cover->isVisible());
        QCOMPARE(settings.count(), 0);

        button("pushButton_setting")->click();
        signIn("kvsuper");
        QCOMPARE(settings.count(), 1);
        QCOMPARE(manager.count(), 0);
        QVERIFY(!cover->isVisible());
        QTRY_VERIFY(!login());

        button("pushButton_usrico")->click();
        signIn("kvsuper");
        QCOMPARE(manager.count(), 1);
        QCOMPARE(settings.count(), 1);
    }

    void armedFlagWithAutomaticOffIsDisarmedWithoutCountdown()
    {
        QVERIFY(LauncherFixture::writeProfile("10.0.0.1", {"10.0.0.1", "u", "p", "3389", "", "1", "0", "0", "3"}));
        QVERIFY(Sandbox::writeFile(autologinFile, "1\n"));
        create();
        m_page->show();
        QCOMPARE(Sandbox::readFile(autologinFile), QByteArray("0\n"));
        QVERIFY(!box());
        QVERIFY(!m_page->findChild<QFrame*>("frame_cover")->isVisible());
    }

    void unarmedFlagStartsNothing()
    {
        QVERIFY(LauncherFixture::writeProfile("10.0.0.1", {"10.0.0.1", "u", "p", "3389", "", "1", "1", "0", "3"}));
        QVERIFY(Sandbox::writeFile(autologinFile, "11\n"));
        create();
        m_page->show();
        QVERIFY(!box());
        QCOMPARE(Sandbox::readFile(autologinFile), QByteArray("11\n"));
    }

    // The countdown restarts while the network is down and connects once it is up.
    void countdownRetriesUntilTheNetworkIsUp()
    {
        QVERIFY(LauncherFixture::writeProfile("10.0.0.1", {"10.0.0.1", "u", "p", "3389", "", "1", "1", "0", "3"}));
        QVERIFY(Sandbox::writeFile(autologinFile, "1\n"));
        checknetWrites("PINGFAIL");
        create();
        m_page->show();
        QCOMPARE(Sandbox::readFile(autologinFile), QByteArray("0\n"));
        auto* cover = m_page->findChild<QFrame*>("frame_cover");
        QVERIFY(cover->isVisible());
        QPointer<mymessagebox> first = box();
        QVERIFY(first);
        QCOMPARE(first->findChild<QLabel*>("label_text")->text(), QString("3 en 120"));

        // Silent check failed: a new box, no message, no session, cover stays.
        QTRY_VERIFY_WITH_TIMEOUT(!first, 6000);
        QTRY_VERIFY(box());
        QVERIFY(cover->isVisible());
        QVERIFY(!QFile::exists("/tmp/connect.seen"));

        checknetWrites("PINGOK");
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists("/tmp/connect.seen"), 6000);
        QVERIFY(!cover->isVisible());
        QTRY_VERIFY(!box());
    }

    void cancelledCountdownConnectsNot()
    {
        QVERIFY(LauncherFixture::writeProfile("10.0.0.1", {"10.0.0.1", "u", "p", "3389", "", "1", "1", "0", "3"}));
        QVERIFY(Sandbox::writeFile(autologinFile, "1\n"));
        create();
        m_page->show();
        QVERIFY(box());
        box()->findChild<QPushButton*>("pushButton_cancle")->click();
        QVERIFY(!m_page->findChild<QFrame*>("frame_cover")->isVisible());
        QTest::qWait(3500);
        QVERIFY(!box());
        QVERIFY(!QFile::exists("/tmp/connect.seen"));
    }

    // Typing goes to the countdown box, not into the profile that the
    // automatic connection saves and uses; Escape cancels like its button.
    void countdownTakesTheKeyboard()
    {
        QVERIFY(LauncherFixture::writeProfile("10.0.0.1", {"10.0.0.1", "u", "p", "3389", "", "1", "1", "0", "3"}));
        QVERIFY(Sandbox::writeFile(autologinFile, "1\n"));
        create();
        m_page->show();
        QVERIFY(QTest::qWaitForWindowActive(m_page));
        QVERIFY(box());
        QTest::keyClick(m_page->windowHandle(), '9');
        QCOMPARE(edit("lineEdit_ipaddr")->text(), QString("10.0.0.1"));
        QTest::keyClick(m_page->windowHandle(), Qt::Key_Escape);
        QVERIFY(!box());
        QVERIFY(!m_page->findChild<QFrame*>("frame_cover")->isVisible());
    }

    void wiredIndicator()
    {
        create();
        // Before the first tick: no address yet, in the page's language.
        QCOMPARE(label(), QString("en 52  127.0.0.1"));
        QVERIFY(picture().contains(":/images/disconnect.png"));
        m_page->update_ipaddr_fun();
        m_page->update_ipaddr_fun();
        QCOMPARE(label(), QString("en 52  192.168.1.20"));
        QVERIFY(picture().contains(":/images/connect.png"));
        // The interfaces are switched once per change of mode, not every tick.
        QCOMPARE(Sandbox::standinCalls().filter("ifconfig"), QStringList({"ifconfig eth0 up", "ifconfig wlan0 down"}));

        QVERIFY(LauncherFixture::setEth0(false));
        m_page->update_ipaddr_fun();
        QVERIFY(LauncherFixture::setEth0(true));
        QCOMPARE(label(), QString("en 52  127.0.0.1"));
        QVERIFY(picture().contains(":/images/disconnect.png"));
    }

    // Cable in but no address yet: three waiting texts in turn, and from the
    // 60th waiting tick on the failure text.
    void wiredIndicatorWaitsForAnAddress()
    {
        create();
        ip({"addr", "flush", "dev", "eth0"});
        QStringList texts;
        for (int tick = 1; tick <= 61; ++tick) {
            m_page->update_ipaddr_fun();
            texts << label();
        }
        ip({"addr", "flush", "dev", "eth0"});
        ip({"addr", "add", "192.168.1.20/24", "brd", "+", "dev", "eth0"});
        QVERIFY(picture().contains(":/images/neterror.png"));
        QCOMPARE(texts.mid(0, 4), QStringList({"en 52  en 53", "en 52  en 54", "en 52  en 55", "en 52  en 53"}));
        QCOMPARE(texts.at(58), QString("en 52  en 54"));
        QCOMPARE(texts.at(59), QString("en 52  en 56"));
        QCOMPARE(texts.at(60), QString("en 52  en 56"));
    }

    void wirelessIndicator()
    {
        create();
        QCOMPARE(Sandbox::sandbox({"peer-if", "wlan0=192.168.2.20/24"}), 0);
        QVERIFY(Sandbox::writeFile(modeFile, "wireless\n"));
        m_page->update_ipaddr_fun();
        QCOMPARE(label(), QString("en 52  192.168.2.20"));
        QVERIFY(picture().contains(":/images/connect_wifi.png"));
        QCOMPARE(Sandbox::standinCalls().filter("ifconfig"), QStringList({"ifconfig eth0 down", "ifconfig wlan0 up"}));

        // Neither "wired" nor "wireless": Wi-Fi operation that never finds an address.
        QVERIFY(Sandbox::writeFile(modeFile, "wifi\n"));
        m_page->update_ipaddr_fun();
        QCOMPARE(label(), QString("en 52  127.0.0.1"));
        QVERIFY(picture().contains(":/images/neterror_wifi.png"));

        // A usable Wi-Fi link when the wired one is down: the check goes on over Wi-Fi.
        QVERIFY(LauncherFixture::setEth0(false));
        checknetWrites("PINGOK");
        QCOMPARE(m_page->checknet_fun_wan_delay(), 0);
        checknetWrites("PINGFAIL");
        QCOMPARE(m_page->checknet_fun_wan_delay(), 1);
        QVERIFY(LauncherFixture::setEth0(true));
        ip({"link", "del", "wlan0"});
    }

private:
    void create()
    {
        m_page = new Mainstackwidget(nullptr);
        m_page->resize(914, 678);
        m_page->QWidget::show();
    }

    QLineEdit* edit(const char* name) { return m_page->findChild<QLineEdit*>(name); }
    QCheckBox* check(const char* name) { return m_page->findChild<QCheckBox*>(name); }
    QPushButton* button(const char* name) { return m_page->findChild<QPushButton*>(name); }
    QComboBox* combo() { return m_page->findChild<QComboBox*>("comboBox_server"); }
    QString label() { return m_page->findChild<QLabel*>("label_localipaddr")->text(); }
    QString picture() { return button("pushButton_netstaus")->styleSheet(); }

    // The open dialog of the kind; closed ones may linger until deleted.
    template <typename T>
    T* visible()
    {
        const QList<T*> dialogs = m_page->findChildren<T*>();
        for (T* dialog : dialogs) {
            if (dialog->isVisible())
                return dialog;
        }
        return nullptr;
    }
    logingwidget* login() { return visible<logingwidget>(); }
    mymessagebox* box() { return visible<mymessagebox>(); }

    // Typed where the keyboard is when the dialog opens, ended with Enter.
    void signIn(const QString& password)
    {
        QWidget* dialog = login();
        QVERIFY(dialog);
        QVERIFY(QTest::qWaitForWindowActive(m_page));
        QCOMPARE(QApplication::focusWidget(), dialog->findChild<QLineEdit*>("lineEdit_passwd"));
        QTest::keyClicks(QApplication::focusWidget(), password);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    }

    void fill(const QString& address, const QString& user, const QString& password, const QString& port,
              const QString& domain)
    {
        edit("lineEdit_ipaddr")->setText(address);
        edit("lineEdit_usrname")->setText(user);
        edit("lineEdit_passwd")->setText(password);
        edit("lineEdit_port")->setText(port);
        edit("lineEdit_domain")->setText(domain);
    }

    Mainstackwidget* m_page = nullptr;
    MessageBoxAnswerer* m_unexpected = nullptr;
};

SANDBOX_GUI_TEST_MAIN(TestMainstackwidget)
#include "tst_mainstackwidget.moc"
