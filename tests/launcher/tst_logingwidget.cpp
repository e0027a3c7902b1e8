#include "launchertest.h"
#include "logingwidget.h"
#include "mymessagebox.h"
#include "terminalattribution.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>

namespace {
const QString passwordFile = QStringLiteral("/opt/zoderer/configs/passwd/passwdconfig");
}

// The administrator sign-in and the countdown box of the automatic connection.
class TestLogingwidget : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(LauncherFixture::installTexts());
    }

    void init()
    {
        QFile::remove(passwordFile);
    }

    void passwordRules_data()
    {
        QTest::addColumn<bool>("fileExists");
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("built-in, no file") << false << QByteArray() << "kvsuper" << true;
        QTest::newRow("built-in, other passwords") << true << QByteArray("a1\n") << "kvsuper" << true;
        QTest::newRow("built-in is case-sensitive") << false << QByteArray() << "KVSUPER" << false;
        QTest::newRow("empty, no file") << false << QByteArray() << "" << false;
        QTest::newRow("second line") << true << QByteArray("first\nsecond\n") << "second" << true;
        QTest::newRow("second line without end") << true << QByteArray("first\nsecond") << "second" << true;
        QTest::newRow("beginning of a line") << true << QByteArray("first\nsecond\n") << "sec" << false;
        QTest::newRow("trailing space") << true << QByteArray("first\nsecond\n") << "second " << false;
        QTest::newRow("empty file, empty entry") << true << QByteArray() << "" << true;
        QTest::newRow("empty file, some entry") << true << QByteArray() << "x" << false;
        QTest::newRow("empty entry, non-empty file") << true << QByteArray("a\nb\n") << "" << false;
        QTest::newRow("empty entry, file with an empty line") << true << QByteArray("a\n\nb\n") << "" << true;
    }

    void passwordRules()
    {
        QFETCH(bool, fileExists);
        QFETCH(QByteArray, file);
        QFETCH(QString, typed);
        QFETCH(bool, accepted);
        if (fileExists)
            QVERIFY(Sandbox::writeFile(passwordFile, file));
        QCOMPARE(logingwidget::passwordAccepted(typed), accepted);
    }

    void refusedPasswordMarksTheFieldUntilTheNextTry()
    {
        QWidget page;
        page.resize(914, 678);
        logingwidget login(&page);
        QCOMPARE(login.pos(), QPoint((914 - 389) / 2, (678 - 183) / 2));
        QSignalSpy closed(&login, &logingwidget::logingwidget_close_singal);
        auto* field = login.findChild<QLineEdit*>("lineEdit_passwd");
        auto* signin = login.findChild<QPushButton*>("pushButton_signin");
        QCOMPARE(field->echoMode(), QLineEdit::Password);
        QCOMPARE(signin->text(), QString("en 119"));

        field->setText("wrong");
        signin->click();
        QCOMPARE(closed.count(), 0);
        QCOMPARE(field->text(), QString());
        QCOMPARE(field->placeholderText(), QString("en 104"));
        QCOMPARE(field->styleSheet(), QString("border:2px solid red"));

        field->setText("kvsuper");
        signin->click();
        QCOMPARE(field->styleSheet(), QString("border:1px solid black"));
        QCOMPARE(field->placeholderText(), QString());
        QCOMPARE(closed.count(), 1);
        QCOMPARE(closed.first().first().toBool(), true);

        login.findChild<QPushButton*>("pushButton_cancle")->click();
        QCOMPARE(closed.count(), 2);
        QCOMPARE(closed.last().first().toBool(), false);
    }

    // Typed into the field that has the focus when the dialog opens.
    void keysSignInOrCancel_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("key");
        QTest::addColumn<QList<bool>>("reported");
        QTest::newRow("Enter signs in") << "kvsuper" << int(Qt::Key_Return) << QList<bool>{true};
        QTest::newRow("keypad Enter signs in") << "kvsuper" << int(Qt::Key_Enter) << QList<bool>{true};
        QTest::newRow("Enter refuses a wrong password") << "wrong" << int(Qt::Key_Return) << QList<bool>{};
        QTest::newRow("Escape cancels") << "kvsuper" << int(Qt::Key_Escape) << QList<bool>{false};
    }

    void keysSignInOrCancel()
    {
        QFETCH(QString, typed);
        QFETCH(int, key);
        QFETCH(QList<bool>, reported);
        QWidget page;
        page.resize(914, 678);
        page.show();
        QVERIFY(QTest::qWaitForWindowActive(&page));
        logingwidget login(&page);
        login.show();
        QSignalSpy closed(&login, &logingwidget::logingwidget_close_singal);
        auto* field = login.findChild<QLineEdit*>("lineEdit_passwd");
        QCOMPARE(QApplication::focusWidget(), field);
        QTest::keyClicks(field, typed);
        QTest::keyClick(field, Qt::Key(key));
        QList<bool> got;
        for (const QList<QVariant>& arguments : closed)
            got << arguments.first().toBool();
        QCOMPARE(got, reported);
    }

    void countdownShowsEverySecondAndReportsAtZero()
    {
        QWidget page;
        page.resize(914, 678);
        page.show();
        mymessagebox box(&page);
        QSignalSpy closed(&box, &mymessagebox::messagebox_closed_signal);
        auto* label = box.findChild<QLabel*>("label_text");
        auto* cancel = box.findChild<QPushButton*>("pushButton_cancle");
        QCOMPARE(cancel->text(), QString("en 118"));
        QStringList shown;
        connect(&box, &mymessagebox::messagebox_closed_signal, this, [&] { shown << label->text(); });
        QTimer sampler;
        connect(&sampler, &QTimer::timeout, this, [&] {
            if (shown.isEmpty() || shown.last() != label->text())
                shown << label->text();
        });
        // The clock starts before the box's timer can, so it never measures short.
        QElapsedTimer clock;
        clock.start();
        box.set_Time(3);
        box.show();
        sampler.start(50);
        QVERIFY(box.isVisible());
        QVERIFY(closed.wait(10000));
        // Not before three ticks of a second (a coarse timer may fire up to 5 % early).
        QVERIFY2(clock.elapsed() >= 2850, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(closed.first().first().toInt(), 1);
        QVERIFY(!cancel->isEnabled());
        shown.removeDuplicates();
        QCOMPARE(shown, QStringList({"3 en 120", "2 en 120", "1 en 120", "0 en 120"}));
        // It reports once; the timer has stopped.
        QTest::qWait(1300);
        QCOMPARE(closed.count(), 1);
    }

    void countdownCancelReportsZero()
    {
        QWidget page;
        page.resize(914, 678);
        mymessagebox box(&page);
        QSignalSpy closed(&box, &mymessagebox::messagebox_closed_signal);
        box.set_Time(10);
        box.show();
        box.findChild<QPushButton*>("pushButton_cancle")->click();
        QCOMPARE(closed.count(), 1);
        QCOMPARE(closed.first().first().toInt(), 0);
    }
};

SANDBOX_GUI_TEST_MAIN(TestLogingwidget)
#include "tst_logingwidget.moc"
