#include "launchertest.h"
#include "usrmanger.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>

namespace {
const QString profiles = QStringLiteral("/opt/zoderer/configs/usrinfodir/");
}

// The profile manager page of the full launcher.
class TestUsrmanger : public QObject
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
        m_page = new Usrmanger(nullptr);
        m_page->show();
    }

    void cleanup()
    {
        delete m_page;
    }

    // The check is the shared address validator's; these rows only show
    // that the page uses it, paths included.
    void addressCheck_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::newRow("leading zeros") << "010.001.000.099" << true;
        QTest::newRow("256") << "192.168.1.256" << false;
        QTest::newRow("trailing space") << "1.2.3.4 " << false;
        QTest::newRow("path") << "1.2.3.4/../x" << false;
    }

    void addressCheck()
    {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QCOMPARE(Usrmanger::IsIPaddress(text), valid);
    }

    void emptyDirectoryGivesEmptyListAndDefaultPort()
    {
        QCOMPARE(list()->count(), 0);
        QCOMPARE(edit("lineEdit_port")->text(), QString("3389"));
        QCOMPARE(m_page->findChild<QComboBox*>("comboBox_selectRDP")->currentText(), QString("RDP 8.1"));
    }

    void listShowsIndentedNamesAndLoadsThePressedEntry()
    {
        QVERIFY(LauncherFixture::writeProfile("10.0.0.1", {"10.0.0.1", "ann", "pa", "3389", "", "1", "1", "0", "7"}));
        QVERIFY(LauncherFixture::writeProfile("10.0.0.2", {"10.0.0.2", "ben", "pb", "3390", "dom", "0", "0", "0", "8"}));
        m_page->show();
        QCOMPARE(list()->count(), 2);
        QCOMPARE(list()->item(0)->text(), QString("          10.0.0.1"));
        QCOMPARE(edit("lineEdit_usrname")->text(), QString("ann"));
        QCOMPARE(edit("lineEdit_passwd")->text(), QString("pa"));
        QVERIFY(check("checkBox_autoconnect")->isChecked());
        QCOMPARE(spin()->value(), 7);

        const QRect second = list()->visualItemRect(list()->item(1));
        QTest::mousePress(list()->viewport(), Qt::LeftButton, {}, second.center());
        QCOMPARE(edit("lineEdit_ip")->text(), QString("10.0.0.2"));
        QCOMPARE(edit("lineEdit_usrname")->text(), QString("ben"));
        QCOMPARE(edit("lineEdit_port")->text(), QString("3390"));
        QCOMPARE(edit("lineEdit_domain")->text(), QString("dom"));
        // Remember off: no password shown; automatic connection off.
        QCOMPARE(edit("lineEdit_passwd")->text(), QString());
        QVERIFY(!check("checkBox")->isChecked());
        QVERIFY(!check("checkBox_autoconnect")->isChecked());
        QCOMPARE(spin()->value(), 8);
    }

    // Here an empty line 7 reads as off; the connection page reads it as on.
    void shortProfileLoadsEmptyValuesAndCountdownThree()
    {
        QVERIFY(Sandbox::writeFile(profiles + "10.0.0.3.usr", "10.0.0.3\ncid\n"));
        m_page->show();
        QCOMPARE(edit("lineEdit_usrname")->text(), QString("cid"));
        QCOMPARE(edit("lineEdit_port")->text(), QString());
        QCOMPARE(spin()->value(), 3);
        QVERIFY(!check("checkBox")->isChecked());
        QVERIFY(!check("checkBox_autoconnect")->isChecked());
    }

    void saveWritesNineLinesAndOverwrites()
    {
        fill("10.0.0.9", "dan", "pw", "3391", "D");
        check("checkBox")->setChecked(true);
        check("checkBox_autoconnect")->setChecked(true);
        spin()->setValue(15);
        button("pushButton_create")->click();
        QCOMPARE(Sandbox::readFile(profiles + "10.0.0.9.usr"), QByteArray("10.0.0.9\ndan\npw\n3391\nD\n1\n1\n0\n15\n"));

        // Remember off: empty third line and the field is cleared.
        check("checkBox")->setChecked(false);
        edit("lineEdit_passwd")->setText("pw");
        edit("lineEdit_usrname")->setText("eve");
        button("pushButton_create")->click();
        QCOMPARE(Sandbox::readFile(profiles + "10.0.0.9.usr"), QByteArray("10.0.0.9\neve\n\n3391\nD\n0\n1\n0\n15\n"));
        QCOMPARE(edit("lineEdit_passwd")->text(), QString());
        QCOMPARE(list()->count(), 1);
        QCOMPARE(list()->currentItem()->text().trimmed(), QString("10.0.0.9"));
    }

    // A profile listed after it whose name merely contains the address stays unselected.
    void saveSelectsTheSavedProfile()
    {
        QVERIFY(LauncherFixture::writeProfile("10.0.0.15", {"10.0.0.15", "later"}));
        fill("10.0.0.1", "first", "", "3389", "");
        button("pushButton_create")->click();
        QCOMPARE(list()->count(), 2);
        QCOMPARE(list()->currentRow(), 0);
        QCOMPARE(edit("lineEdit_ip")->text(), QString("10.0.0.1"));
        QCOMPARE(edit("lineEdit_usrname")->text(), QString("first"));
    }

    void refusedSaveWritesNothing_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("readOnly");
        QTest::addColumn<QString>("message");
        QTest::newRow("not an address") << "server" << false << "en 69";
        QTest::newRow("slash") << "x / y" << false << "en 69";
        QTest::newRow("read-only disk") << "10.0.0.7" << true << "en 122";
    }

    void refusedSaveWritesNothing()
    {
        QFETCH(QString, address);
        QFETCH(bool, readOnly);
        QFETCH(QString, message);
        fill(address, "u", "p", "3389", "");
        MessageBoxAnswerer answerer(QMessageBox::Yes);
        ReadOnlyDirectory readOnlyDir(profiles, readOnly);
        QVERIFY(readOnlyDir.ok());
        button("pushButton_create")->click();
        QCOMPARE(answerer.boxes.size(), 1);
        QCOMPARE(answerer.boxes.first().title, QString(" "));
        QCOMPARE(answerer.boxes.first().text, message);
        QCOMPARE(QDir(profiles).entryList(QDir::Files), QStringList());
        QVERIFY(!QFile::exists("/opt/zoderer/configs/x.usr"));
    }

    void deleteRemovesOnlyTheTypedProfileAfterYes()
    {
        for (const char* name : {"10.0.0.1", "10.0.0.10", "10.0.0.2"})
            QVERIFY(LauncherFixture::writeProfile(name, {name, "u"}));
        QVERIFY(Sandbox::writeFile(profiles + "connectfile", "10.0.0.1\n"));
        m_page->show();
        edit("lineEdit_ip")->setText("10.0.0.1");
        {
            MessageBoxAnswerer answerer(QMessageBox::Yes);
            button("pushButton_delete")->click();
            QCOMPARE(answerer.boxes.size(), 1);
            QCOMPARE(answerer.boxes.first().text, QString("en 50"));
        }
        QCOMPARE(QDir(profiles).entryList(QDir::Files), QStringList({"10.0.0.10.usr", "10.0.0.2.usr", "connectfile"}));
        // The fields show the first remaining profile.
        QCOMPARE(list()->count(), 2);
        QCOMPARE(edit("lineEdit_ip")->text(), QString("10.0.0.10"));

        // Closing the box any other way keeps the profile.
        edit("lineEdit_ip")->setText("10.0.0.2");
        {
            MessageBoxAnswerer answerer(QMessageBox::No);
            button("pushButton_delete")->click();
            QCOMPARE(answerer.boxes.size(), 1);
        }
        QVERIFY(QFile::exists(profiles + "10.0.0.2.usr"));
    }

    void tabCyclesThroughTheFields()
    {
        m_page->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_page));
        edit("lineEdit_ip")->setFocus();
        const QStringList order{"lineEdit_usrname", "lineEdit_passwd", "lineEdit_port", "lineEdit_domain", "checkBox",
                                "lineEdit_ip"};
        for (const QString& next : order) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget()->objectName(), next);
        }
    }

    void backAsksToClose()
    {
        QSignalSpy closed(m_page, &Usrmanger::close_usrmangerr_siger);
        button("pushButton_back")->click();
        QCOMPARE(closed.count(), 1);
        QCOMPARE(button("pushButton_back")->text(), QString("en 15"));
    }

private:
    QLineEdit* edit(const char* name) { return m_page->findChild<QLineEdit*>(name); }
    QCheckBox* check(const char* name) { return m_page->findChild<QCheckBox*>(name); }
    QPushButton* button(const char* name) { return m_page->findChild<QPushButton*>(name); }
    QListWidget* list() { return m_page->findChild<QListWidget*>("listWidget"); }
    QSpinBox* spin() { return m_page->findChild<QSpinBox*>("spinBox"); }

    void fill(const QString& address, const QString& user, const QString& password, const QString& port,
              const QString& domain)
    {
        edit("lineEdit_ip")->setText(address);
        edit("lineEdit_usrname")->setText(user);
        edit("lineEdit_passwd")->setText(password);
        edit("lineEdit_port")->setText(port);
        edit("lineEdit_domain")->setText(domain);
    }

    Usrmanger* m_page = nullptr;
};

SANDBOX_GUI_TEST_MAIN(TestUsrmanger)
#include "tst_usrmanger.moc"
