#include "checknet.h"
#include "displaysetting.h"
#include "launchertest.h"
#include "passwdsetting.h"
#include "settingsfixture.h"
#include "soundsetting.h"
#include "systermifno.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTextEdit>

using namespace SettingsFixture;

namespace {
const QString resolution = QStringLiteral("/opt/zoderer/configs/display/resolution");
const QString colordepth = QStringLiteral("/opt/zoderer/configs/display/colordepth");
const QString peripheral = QStringLiteral("/opt/zoderer/configs/peripheral/peripheralconfig");
const QString passwords = QStringLiteral("/opt/zoderer/configs/passwd/passwdconfig");
const QString fakeBin = QStringLiteral("/tmp/fakebin");
} // namespace

// The display, sound, password, network check and system information pages.
class TestDeviceSettings : public QObject
{
    Q_OBJECT

private:
    void click(QWidget* root, const char* name)
    {
        QTest::mouseClick(child<QAbstractButton>(root, name), Qt::LeftButton, Qt::NoModifier,
                          QPoint(5, 5));
    }

    // Types into the password fields (empty strings leave a field empty).
    void typePasswords(Passwdsetting& page, const QList<QPair<const char*, QString>>& fields)
    {
        for (const auto& [name, value] : fields) {
            QLineEdit* field = child<QLineEdit>(&page, name);
            field->clear();
            QTest::keyClicks(field, value);
        }
    }

    // The refusal shown on a field: its text, placeholder and frame.
    void verifyRefused(Passwdsetting& page, const char* name, int textId, bool emptied)
    {
        QLineEdit* field = child<QLineEdit>(&page, name);
        QCOMPARE(field->placeholderText(), text(textId));
        QCOMPARE(static_cast<QFrame*>(field->parentWidget())->styleSheet(),
                 QString("border:2px solid red"));
        if (emptied)
            QVERIFY(field->text().isEmpty());
    }

    // The password scripts' calls recorded so far.
    QList<QStringList> passwordCalls()
    {
        QList<QStringList> calls;
        for (const char* script : {"setpasswd.sh", "changepasswd.sh", "deletepasswd.sh"}) {
            for (const QStringList& call : Sandbox::recordedCalls(loginScript(script)))
                calls << (QStringList{script} + call);
        }
        return calls;
    }

    // No password script ran, once a script started after the page's has run.
    bool noPasswordCalls()
    {
        return LauncherFixture::laterScriptHasRun() && passwordCalls().isEmpty();
    }

private slots:
    void initTestCase()
    {
        // A ping that reports its arguments, then waits for a go-ahead so
        // that output arriving in parts can be watched; two hosts fail as a
        // real ping does.
        QVERIFY(Sandbox::writeFile(
            fakeBin + "/ping",
            "#!/bin/sh\ncase \"$4\" in\n"
            "nowhere) echo \"ping: nowhere: Name or service not known\" >&2; exit 2;;\n"
            "10.9.9.9) exit 1;;\nesac\n"
            "echo \"ping args: $*\"\nwhile [ ! -f /tmp/ping.go ]; do sleep 0.05; "
            "done\necho \"second part\"\n",
            true));
        qputenv("PATH", (fakeBin + ":").toUtf8() + qgetenv("PATH"));
    }

    void init() { reset(); }

    void displayFilling_data()
    {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<QByteArray>("depth");
        QTest::addColumn<QString>("checked");
        QTest::addColumn<QString>("shownDepth");
        QTest::newRow("1080") << QByteArray("1920x1080-60\n32\n") << QByteArray("32\n")
                              << "radioButton_1920x1080p"
                              << "32";
        QTest::newRow("empty") << QByteArray() << QByteArray() << "radioButton_1280x720p"
                               << "16";
    }

    void displayFilling()
    {
        QFETCH(QByteArray, stored);
        QFETCH(QByteArray, depth);
        QFETCH(QString, checked);
        QFETCH(QString, shownDepth);
        QVERIFY(Sandbox::writeFile(resolution, stored));
        QVERIFY(Sandbox::writeFile(colordepth, depth));
        Displaysetting page(nullptr);
        page.show();
        QVERIFY(child<QRadioButton>(&page, qPrintable(checked))->isChecked());
        QComboBox* combo = child<QComboBox>(&page, "comboBox_depth");
        QCOMPARE(combo->count(), 2);
        QCOMPARE(combo->currentText(), shownDepth);
        QCOMPARE(child<QLabel>(&page, "label_1280x720p")->text(),
                 QString("VGAx1280x720_HDMIx720p"));
        QCOMPARE(child<QLabel>(&page, "label_depth")->text(), text(59));
    }

    // The script runs when the resolution or the depth changed, and only after both files
    // were written; a depth only the other build offers is kept.
    void displaySave_data()
    {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<QString>("mode"); // radio button clicked, if any
        QTest::addColumn<QString>("depth"); // chosen, if any
        QTest::addColumn<bool>("readOnly");
        QTest::addColumn<int>("box");
        QTest::addColumn<QByteArray>("written");
        QTest::addColumn<int>("runs");
        const QByteArray hd("1280x720-60\n16\n");
        QTest::newRow("untouched") << hd << "" << "" << false << 47 << hd << 0;
        QTest::newRow("depth") << hd << "" << "32" << false << 47 << QByteArray("1280x720-60\n32\n") << 1;
        QTest::newRow("resolution") << hd << "radioButton_1920x1080p" << "" << false << 47
                                    << QByteArray("1920x1080-60\n16\n") << 1;
        QTest::newRow("depth 24") << QByteArray("1280x720-60\n24\n") << "" << "" << false << 47
                                  << QByteArray("1280x720-60\n24\n") << 0;
        QTest::newRow("read-only disk") << hd << "radioButton_1920x1080p" << "32" << true << 122 << hd << 0;
    }

    void displaySave()
    {
        QFETCH(QByteArray, stored);
        QFETCH(QString, mode);
        QFETCH(QString, depth);
        QFETCH(bool, readOnly);
        QFETCH(int, box);
        QFETCH(QByteArray, written);
        QFETCH(int, runs);
        QVERIFY(Sandbox::writeFile(resolution, stored));
        QVERIFY(Sandbox::writeFile(colordepth, stored.split('\n').at(1) + '\n'));
        Displaysetting page(nullptr);
        page.show();
        if (!mode.isEmpty())
            click(&page, qPrintable(mode));
        if (!depth.isEmpty())
            child<QComboBox>(&page, "comboBox_depth")->setCurrentText(depth);
        ReadOnlyDirectory readOnlyDir(configs + "display", readOnly);
        QVERIFY(readOnlyDir.ok());
        MessageBoxAnswerer answerer(QMessageBox::Yes);
        click(&page, "pushButton_save");
        const int firstRuns = int(Sandbox::recordedCalls(loginScript("setdisplay.sh")).size());
        // What was last read counts as current until the page is filled again.
        click(&page, "pushButton_save");
        const int secondRuns = int(Sandbox::recordedCalls(loginScript("setdisplay.sh")).size());
        page.show();
        click(&page, "pushButton_save");
        QCOMPARE(answerer.boxes.at(0).text, text(box));
        QCOMPARE(answerer.boxes.size(), 3);
        QCOMPARE(Sandbox::readFile(resolution), written);
        QCOMPARE(Sandbox::readFile(colordepth), written.split('\n').at(1) + '\n');
        QCOMPARE(firstRuns, runs);
        QCOMPARE(secondRuns, 2 * runs);
        QCOMPARE(Sandbox::recordedCalls(loginScript("setdisplay.sh")).size(), 2 * runs);
    }

    void soundVolumeScalesBothWays()
    {
        QVERIFY(Sandbox::writeFile(peripheral, "62\nnone\ndisk\n1\n3\nHDMI\n"));
        Soundsetting page(nullptr);
        page.show();
        QSlider* slider = child<QSlider>(&page, "horizontalSlider");
        QCOMPARE(slider->value(), 99);
        QVERIFY(child<QCheckBox>(&page, "checkBox_allowusb")->isChecked());
        QVERIFY(child<QRadioButton>(&page, "radioButton_hdmi")->isChecked());
        QCOMPARE(child<QComboBox>(&page, "comboBox_language")->currentText(), text(46));
        QCOMPARE(child<QComboBox>(&page, "comboBox_keyboard")->currentText(), text(63));
        QCOMPARE(child<QComboBox>(&page, "comboBox_keyboard")->count(), 9);
        QCOMPARE(child<QLabel>(&page, "label_soundcard")->text(), text(107));

        slider->setValue(100);
        click(&page, "radioButton_vga");
        MessageBoxAnswerer answerer(QMessageBox::Yes);
        click(&page, "pushButton_save");
        QCOMPARE(answerer.boxes.size(), 1);
        QCOMPARE(answerer.boxes.at(0).text, text(49));
        QCOMPARE(Sandbox::readFile(peripheral), QByteArray("63\nnone\ndisk\n1\n3\nVGA\n"));
        QCOMPARE(Sandbox::recordedCalls(loginScript("setperipheral.sh")).size(), 1);
    }

    // Values the page shows differently or not at all are written back as read.
    void soundSavedUntouchedKeepsTheFile_data()
    {
        QTest::addColumn<QByteArray>("stored");
        QTest::newRow("62") << QByteArray("62\nnone\ndisk\n1\n3\nHDMI\n");
        QTest::newRow("63") << QByteArray("63\nnone\nnone\n0\n0\nVGA\n");
        QTest::newRow("muted at 40") << QByteArray("40\nmute\nnone\n0\n0\nVGA\n");
        QTest::newRow("indexes off the lists") << QByteArray("40\nnone\nnone\n2\n9\nVGA\n");
    }

    void soundSavedUntouchedKeepsTheFile()
    {
        QFETCH(QByteArray, stored);
        QVERIFY(Sandbox::writeFile(peripheral, stored));
        Soundsetting page(nullptr);
        page.show();
        MessageBoxAnswerer answerer(QMessageBox::Yes);
        click(&page, "pushButton_save");
        QCOMPARE(Sandbox::readFile(peripheral), stored);
        QCOMPARE(Sandbox::recordedCalls(loginScript("setperipheral.sh")).size(), 1);
    }

    void soundSaveNeedsYesAndAWrite_data()
    {
        QTest::addColumn<QMessageBox::StandardButton>("answer");
        QTest::addColumn<bool>("readOnly");
        QTest::addColumn<QList<int>>("textIds");
        QTest::newRow("No") << QMessageBox::No << false << QList<int>{49};
        QTest::newRow("Escape") << QMessageBox::Cancel << false << QList<int>{49};
        QTest::newRow("read-only disk") << QMessageBox::Yes << true << QList<int>{49, 122};
    }

    void soundSaveNeedsYesAndAWrite()
    {
        QFETCH(QMessageBox::StandardButton, answer);
        QFETCH(bool, readOnly);
        QFETCH(QList<int>, textIds);
        const QByteArray stored = "40\nnone\nnone\n0\n2\nHDMI\n";
        QVERIFY(Sandbox::writeFile(peripheral, stored));
        ReadOnlyDirectory readOnlyDir(QFileInfo(peripheral).path(), readOnly);
        QVERIFY(readOnlyDir.ok());
        Soundsetting page(nullptr);
        page.show();
        click(&page, "checkBox_allowusb");
        MessageBoxAnswerer answerer(answer);
        click(&page, "pushButton_save");
        QCOMPARE(answerer.texts(), texts(textIds));
        QCOMPARE(Sandbox::readFile(peripheral), stored);
        QVERIFY(Sandbox::recordedCalls(loginScript("setperipheral.sh")).isEmpty());
    }

    void muteStoresAtOnce()
    {
        QVERIFY(Sandbox::writeFile(peripheral, "40\nnone\nnone\n0\n2\nHDMI\n"));
        Soundsetting page(nullptr);
        page.show();
        QSlider* slider = child<QSlider>(&page, "horizontalSlider");
        MessageBoxAnswerer answerer(QMessageBox::Yes);
        click(&page, "checkBox_mute");
        QVERIFY(!slider->isEnabled());
        QCOMPARE(slider->value(), 0);
        QCOMPARE(Sandbox::readFile(peripheral), QByteArray("0\nmute\nnone\n0\n2\nHDMI\n"));

        click(&page, "checkBox_mute");
        QVERIFY(slider->isEnabled());
        QCOMPARE(slider->value(), 80);
        QCOMPARE(Sandbox::readFile(peripheral), QByteArray("50\nnone\nnone\n0\n2\nHDMI\n"));
        QVERIFY(answerer.boxes.isEmpty());
        QVERIFY(Sandbox::recordedCalls(loginScript("setperipheral.sh")).isEmpty());

        // A mute that cannot be stored is reported and undone.
        ReadOnlyDirectory readOnlyDir(QFileInfo(peripheral).path());
        QVERIFY(readOnlyDir.ok());
        click(&page, "checkBox_mute");
        QCOMPARE(answerer.boxes.size(), 1);
        QCOMPARE(answerer.boxes.at(0).text, text(122));
        QVERIFY(!child<QCheckBox>(&page, "checkBox_mute")->isChecked());
        QVERIFY(slider->isEnabled());
        QCOMPARE(slider->value(), 80);
        QCOMPARE(Sandbox::readFile(peripheral), QByteArray("50\nnone\nnone\n0\n2\nHDMI\n"));
    }

    void muteIsFoundAnywhereInLineTwo()
    {
        QVERIFY(Sandbox::writeFile(peripheral, "40\nunmuted\nnone\n0\n0\n\n"));
        Soundsetting page(nullptr);
        page.show();
        QVERIFY(child<QCheckBox>(&page, "checkBox_mute")->isChecked());
        QSlider* slider = child<QSlider>(&page, "horizontalSlider");
        QCOMPARE(slider->value(), 0);
        QVERIFY(!slider->isEnabled());
        // Filled again unmuted, the slider is usable again.
        QVERIFY(Sandbox::writeFile(peripheral, "40\nnone\nnone\n0\n0\n\n"));
        page.show();
        QVERIFY(slider->isEnabled());
        QCOMPARE(slider->value(), 64);
    }

    void addPasswordRefusals()
    {
        QVERIFY(Sandbox::writeFile(passwords, "present\n"));
        Passwdsetting page(nullptr);
        page.show();
        typePasswords(page, {{"lineEdit_passwd", "a b"}, {"lineEdit_repeatpasswd", "a b"}});
        click(&page, "pushButton_save_new");
        verifyRefused(page, "lineEdit_passwd", 121, true);
        QVERIFY(child<QLineEdit>(&page, "lineEdit_repeatpasswd")->text().isEmpty());

        typePasswords(page, {{"lineEdit_passwd", "a/b"}, {"lineEdit_repeatpasswd", "x"}});
        click(&page, "pushButton_save_new");
        verifyRefused(page, "lineEdit_passwd", 121, true);

        typePasswords(page, {{"lineEdit_passwd", ""}, {"lineEdit_repeatpasswd", "x"}});
        click(&page, "pushButton_save_new");
        verifyRefused(page, "lineEdit_passwd", 111, true);

        typePasswords(page, {{"lineEdit_passwd", "new1"}, {"lineEdit_repeatpasswd", ""}});
        click(&page, "pushButton_save_new");
        verifyRefused(page, "lineEdit_repeatpasswd", 112, true);
        // The earlier refusal of the other field is reset.
        QCOMPARE(static_cast<QFrame*>(child<QLineEdit>(&page, "lineEdit_passwd")->parentWidget())
                     ->styleSheet(),
                 QString("border:1px solid black"));

        typePasswords(page, {{"lineEdit_passwd", "new1"}, {"lineEdit_repeatpasswd", "new2"}});
        click(&page, "pushButton_save_new");
        verifyRefused(page, "lineEdit_repeatpasswd", 114, true);
        QCOMPARE(child<QLineEdit>(&page, "lineEdit_passwd")->text(), QString("new1"));

        typePasswords(page, {{"lineEdit_passwd", "present"}, {"lineEdit_repeatpasswd", "present"}});
        click(&page, "pushButton_save_new");
        verifyRefused(page, "lineEdit_passwd", 116, true);
        QVERIFY(noPasswordCalls());
    }

    void allowedCharactersAreAdded()
    {
        Passwdsetting page(nullptr);
        page.show();
        typePasswords(page,
                      {{"lineEdit_passwd", "Ab1!%-_+=."}, {"lineEdit_repeatpasswd", "Ab1!%-_+=."}});
        click(&page, "pushButton_save_new");
        QVERIFY(child<QLineEdit>(&page, "lineEdit_passwd")->text().isEmpty());
        QTRY_COMPARE(passwordCalls(), QList<QStringList>({{"setpasswd.sh", "Ab1!%-_+=."}}));
    }

    void changePassword()
    {
        QVERIFY(Sandbox::writeFile(passwords, "old one\ntaken\n"));
        Passwdsetting page(nullptr);
        page.show();
        const char* current = "lineEdit_oldpasswd";
        const char* fresh = "lineEdit_newpasswd";
        const char* repeat = "lineEdit_repeatnewpasswd";

        typePasswords(page, {{current, ""}, {fresh, "n"}, {repeat, "n"}});
        click(&page, "pushButto_save_change");
        verifyRefused(page, current, 111, true);

        typePasswords(page, {{current, "old one"}, {fresh, ""}, {repeat, "n"}});
        click(&page, "pushButto_save_change");
        verifyRefused(page, fresh, 113, true);

        typePasswords(page, {{current, "old one"}, {fresh, "n"}, {repeat, ""}});
        click(&page, "pushButto_save_change");
        verifyRefused(page, repeat, 112, true);

        typePasswords(page, {{current, "old one"}, {fresh, "n1"}, {repeat, "n2"}});
        click(&page, "pushButto_save_change");
        verifyRefused(page, repeat, 114, true);

        typePasswords(page, {{current, "old one"}, {fresh, "n;1"}, {repeat, "n;1"}});
        click(&page, "pushButto_save_change");
        verifyRefused(page, fresh, 121, true);
        QVERIFY(child<QLineEdit>(&page, repeat)->text().isEmpty());

        typePasswords(page, {{current, "old one"}, {fresh, "old one"}, {repeat, "old one"}});
        click(&page, "pushButto_save_change");
        verifyRefused(page, fresh, 121, true); // the space comes first

        typePasswords(page, {{current, "taken"}, {fresh, "taken"}, {repeat, "taken"}});
        click(&page, "pushButto_save_change");
        verifyRefused(page, fresh, 117, true);

        typePasswords(page, {{current, "old one"}, {fresh, "taken"}, {repeat, "taken"}});
        click(&page, "pushButto_save_change");
        verifyRefused(page, fresh, 116, true);

        typePasswords(page, {{current, "unknown"}, {fresh, "n1"}, {repeat, "n1"}});
        click(&page, "pushButto_save_change");
        verifyRefused(page, current, 115, true);
        QVERIFY(noPasswordCalls());

        typePasswords(page, {{current, "taken"}, {fresh, "n-1"}, {repeat, "n-1"}});
        click(&page, "pushButto_save_change");
        for (const char* name : {current, fresh, repeat})
            QVERIFY(child<QLineEdit>(&page, name)->text().isEmpty());
        QTRY_COMPARE(passwordCalls(), QList<QStringList>({{"changepasswd.sh", "taken", "n-1"}}));
    }

    void deletePassword()
    {
        QVERIFY(Sandbox::writeFile(passwords, "first\nsecond one\n"));
        Passwdsetting page(nullptr);
        page.show();
        click(&page, "pushButto_delete");
        verifyRefused(page, "lineEdit_oldpasswd", 111, true);
        typePasswords(page, {{"lineEdit_oldpasswd", "second"}});
        click(&page, "pushButto_delete");
        verifyRefused(page, "lineEdit_oldpasswd", 115, true);
        QVERIFY(noPasswordCalls());
        typePasswords(page, {{"lineEdit_oldpasswd", "second one"}});
        click(&page, "pushButto_delete");
        QVERIFY(child<QLineEdit>(&page, "lineEdit_oldpasswd")->text().isEmpty());
        QTRY_COMPARE(passwordCalls(), QList<QStringList>({{"deletepasswd.sh", "second one"}}));

        // Showing the page again resets every field.
        typePasswords(page, {{"lineEdit_oldpasswd", "x"}});
        click(&page, "pushButto_delete");
        page.show();
        QLineEdit* field = child<QLineEdit>(&page, "lineEdit_oldpasswd");
        QVERIFY(field->text().isEmpty() && field->placeholderText().isEmpty());
        QCOMPARE(static_cast<QFrame*>(field->parentWidget())->styleSheet(),
                 QString("border:1px solid black"));
        QCOMPARE(field->echoMode(), QLineEdit::Password);
        QVERIFY(!child<QPushButton>(&page, "pushButton_back"));
    }

    void pingShowsOutputAsItArrives()
    {
        QFile::remove("/tmp/ping.go");
        Checknet page(nullptr);
        QVERIFY(!child<QComboBox>(&page, "comboBox"));
        QTextEdit* output = child<QTextEdit>(&page, "textEdit");
        QTest::keyClicks(child<QLineEdit>(&page, "lineEdit_ip"), "-f 10.0.0.1");
        click(&page, "pushButton_check");
        QTRY_COMPARE(output->toPlainText(), QString("ping args: -c 5 -- -f 10.0.0.1\n"));
        // Pressed again while running: the box empties, the same ping goes on.
        click(&page, "pushButton_check");
        QVERIFY(output->toPlainText().isEmpty());
        QVERIFY(Sandbox::writeFile("/tmp/ping.go", ""));
        QTRY_COMPARE(output->toPlainText(), QString("second part\n"));
    }

    void pingResult_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::newRow("empty") << "" << "ping args: -c 5\nsecond part\n";
        QTest::newRow("only spaces") << "  " << "ping args: -c 5\nsecond part\n";
        QTest::newRow("spaces around") << " 10.0.0.1  " << "ping args: -c 5 -- 10.0.0.1\nsecond part\n";
        QTest::newRow("unknown host") << "nowhere" << "ping: nowhere: Name or service not known\n";
        QTest::newRow("no output") << "10.9.9.9" << text(123);
    }

    void pingResult()
    {
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QVERIFY(Sandbox::writeFile("/tmp/ping.go", ""));
        Checknet page(nullptr);
        QTest::keyClicks(child<QLineEdit>(&page, "lineEdit_ip"), typed);
        click(&page, "pushButton_check");
        QTRY_COMPARE(child<QTextEdit>(&page, "textEdit")->toPlainText(), shown);
    }

    // Cancel is not offered, so the answerer presses Escape.
    void systemInformationAndRecovery_data()
    {
        QTest::addColumn<QMessageBox::StandardButton>("answer");
        QTest::addColumn<int>("resets");
        QTest::newRow("yes") << QMessageBox::Yes << 1;
        QTest::newRow("no") << QMessageBox::No << 0;
        QTest::newRow("escape") << QMessageBox::Cancel << 0;
    }

    void systemInformationAndRecovery()
    {
        QFETCH(QMessageBox::StandardButton, answer);
        QFETCH(int, resets);
        Systermifno page(nullptr);
        QCOMPARE(child<QLabel>(&page, "label_verinfo")->text(), text(44));
        QCOMPARE(child<QLabel>(&page, "label_cpufreq")->text(), text(41));
        QCOMPARE(child<QPushButton>(&page, "pushButton_recovery")->text(), text(36));
        MessageBoxAnswerer answerer(answer);
        click(&page, "pushButton_recovery");
        QCOMPARE(answerer.boxes.size(), 1);
        QCOMPARE(answerer.boxes.at(0).text, text(51));
        QCOMPARE(answerer.boxes.at(0).buttons, QStringList({text(109), text(110)}));
        QCOMPARE(Sandbox::recordedCalls(loginScript("recoveryfactory.sh")).size(), resets);
    }
};

SANDBOX_GUI_TEST_MAIN(TestDeviceSettings)
#include "tst_devicesettings.moc"
