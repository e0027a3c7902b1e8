#include "launchertest.h"
#include "mainstackwidget.h"
#include "mainwindow.h"
#include "mymessagebox.h"
#include "systemsetting.h"
#include "usrmanger.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QScreen>
#include <QStackedWidget>
#include <QWindow>

namespace {
int resets()
{
    return int(Sandbox::recordedCalls(LauncherFixture::scriptPath("resetdisplay.sh")).size());
}
}

// The full launcher's window on a 1024 x 768 screen: placement, page
// switching and the display-reset keys.
class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QCOMPARE(QGuiApplication::primaryScreen()->geometry(), QRect(0, 0, 1024, 768));
        QVERIFY(LauncherFixture::installTexts());
    }

    void init()
    {
        LauncherFixture::resetTree();
        QVERIFY(LauncherFixture::writeProfile("10.0.0.1", {"10.0.0.1", "u", "p", "3389", "", "1", "0", "0", "3"}));
        m_window = new MainWindow;
        m_window->show();
        m_stack = m_window->findChild<QStackedWidget*>("stackedWidget");
    }

    void cleanup()
    {
        delete m_window;
    }

    void fillsTheScreenWithTheStackCentred()
    {
        QCOMPARE(m_window->size(), QSize(1024, 768));
        QCOMPARE(m_stack->geometry(), QRect(55, 45, 914, 678));
        QCOMPARE(m_window->windowTitle(), QString("MainWindow"));
        QVERIFY(m_window->autoFillBackground());
        // The 1920x1080 picture tiles the screen unscaled: its top left part shows.
        QCOMPARE(m_window->palette().brush(QPalette::Window).texture().toImage().convertToFormat(QImage::Format_RGB32),
                 QImage(":/images/1920X1080.png").copy(0, 0, 1024, 768).convertToFormat(QImage::Format_RGB32));
        QCOMPARE(m_stack->count(), 5);
        QCOMPARE(m_stack->widget(2)->objectName(), QString("Mainstackwidget"));
        QCOMPARE(m_stack->widget(3)->objectName(), QString("Usrmanger"));
        QCOMPARE(m_stack->widget(4)->objectName(), QString("Systemsetting"));
        QCOMPARE(m_stack->currentIndex(), 2);
        QVERIFY(QTest::qWaitForWindowActive(m_window));
        QCOMPARE(QApplication::focusWidget()->objectName(), QString("lineEdit_ipaddr"));
    }

    // Keys come as the terminal delivers them: to the window, then to the
    // focused widget, which may take them.
    void controlAltRResetsTheDisplayWhateverHasTheFocus_data()
    {
        QTest::addColumn<QString>("focus");
        QTest::newRow("address field") << "lineEdit_ipaddr";
        QTest::newRow("server list") << "comboBox_server";
        QTest::newRow("check box") << "checkBox";
    }

    void controlAltRResetsTheDisplayWhateverHasTheFocus()
    {
        QFETCH(QString, focus);
        auto* widget = m_window->findChild<QWidget*>(focus);
        widget->setFocus();
        QCOMPARE(m_window->focusWidget(), widget);
        QWindow* window = m_window->windowHandle();
        QTest::keyClick(window, Qt::Key_R, Qt::ControlModifier | Qt::AltModifier);
        QCOMPARE(resets(), 1);
        // The service keys type nothing.
        QCOMPARE(m_window->findChild<QLineEdit*>("lineEdit_ipaddr")->text(), QString("10.0.0.1"));
        QTest::keyClick(window, Qt::Key_R, Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier);
        QTest::keyClick(window, Qt::Key_R, Qt::ControlModifier);
        QTest::keyClick(window, Qt::Key_T, Qt::ControlModifier | Qt::AltModifier);
        QCOMPARE(resets(), 1);
    }

    // One count per press wherever the focus is, over the life of the process.
    void hundredthF1ResetsTheDisplay()
    {
        QCOMPARE(m_window->focusWidget()->objectName(), QString("lineEdit_ipaddr"));
        for (int press = 1; press <= 99; ++press)
            QTest::keyClick(m_window->windowHandle(), Qt::Key_F1);
        QCOMPARE(resets(), 0);
        QTest::keyClick(m_window->windowHandle(), Qt::Key_F1);
        QCOMPARE(resets(), 1);
        // A held key is one press, however often it repeats.
        QKeyEvent repeated(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier, QString(), true);
        QCoreApplication::sendEvent(m_window->windowHandle(), &repeated);
        QCOMPARE(resets(), 1);
        delete m_window;
        m_window = new MainWindow;
        m_window->show();
        m_window->findChild<QWidget*>("checkBox")->setFocus();
        QTest::keyClick(m_window->windowHandle(), Qt::Key_F1);
        QCOMPARE(resets(), 2);
    }

    void leavingTheSettingsShowsTheProfilesOnDisk()
    {
        auto* page = m_stack->widget(2);
        emit static_cast<Mainstackwidget*>(page)->close_firtlogin_siger();
        QCOMPARE(m_stack->currentIndex(), 4);
        QVERIFY(LauncherFixture::writeProfile("10.0.0.2", {"10.0.0.2"}));
        emit static_cast<Systemsetting*>(m_stack->widget(4))->close_setting_siger();
        QCOMPARE(m_stack->currentIndex(), 2);
        QCOMPARE(page->findChild<QComboBox*>("comboBox_server")->count(), 2);
    }

    void profileManagerReloadsOnEveryVisit()
    {
        auto* page = static_cast<Mainstackwidget*>(m_stack->widget(2));
        auto* list = m_stack->widget(3)->findChild<QListWidget*>("listWidget");
        QVERIFY(LauncherFixture::writeProfile("10.0.0.3", {"10.0.0.3"}));
        emit page->close_firtlogin_siger_usrmanger();
        QCOMPARE(m_stack->currentIndex(), 3);
        QCOMPARE(list->count(), 2);
        QVERIFY(LauncherFixture::writeProfile("10.0.0.4", {"10.0.0.4"}));
        emit static_cast<Usrmanger*>(m_stack->widget(3))->close_usrmangerr_siger();
        QCOMPARE(m_stack->currentIndex(), 2);
        QCOMPARE(page->findChild<QComboBox*>("comboBox_server")->count(), 3);
    }

    // An armed automatic connection shows its countdown at start, centred
    // in the page at its final size.
    void armedStartShowsTheCountdown()
    {
        delete m_window;
        QVERIFY(LauncherFixture::writeProfile("10.0.0.1", {"10.0.0.1", "u", "p", "3389", "", "1", "1", "0", "9"}));
        QVERIFY(Sandbox::writeFile("/opt/zoderer/configs/usrinfodir/autologin", "1\n"));
        m_window = new MainWindow;
        m_window->show();
        auto* box = m_window->findChild<mymessagebox*>();
        QVERIFY(box);
        QVERIFY(box->isVisible());
        QCOMPARE(box->geometry().center(), QRect(0, 0, 914, 678).center());
        QCOMPARE(Sandbox::readFile("/opt/zoderer/configs/usrinfodir/autologin"), QByteArray("0\n"));
    }

private:
    MainWindow* m_window = nullptr;
    QStackedWidget* m_stack = nullptr;
};

SANDBOX_GUI_TEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
