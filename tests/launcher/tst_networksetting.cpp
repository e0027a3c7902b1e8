#include "launchertest.h"
#include "networksetting.h"
#include "settingsfixture.h"

#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

using namespace SettingsFixture;

namespace {
const QString netconfig = QStringLiteral("/opt/zoderer/configs/network/netconfig");
const QByteArray staticFile = "static\n10.1.1.5\n255.255.0.0\n10.1.1.1\n8.8.8.8\n\n";
} // namespace

// The wired addressing page.
class TestNetworksetting : public QObject
{
    Q_OBJECT

private:
    QList<QLineEdit*> fields(QWidget* page)
    {
        return {child<QLineEdit>(page, "lineEdit_autoip"), child<QLineEdit>(page, "lineEdit_mask"),
                child<QLineEdit>(page, "lineEdit_gateway"), child<QLineEdit>(page, "lineEdit_dns1"),
                child<QLineEdit>(page, "lineEdit_dns2")};
    }

    void type(QWidget* page, const QStringList& values)
    {
        QTest::mouseClick(child<QRadioButton>(page, "radioButton_staticip"), Qt::LeftButton,
                          Qt::NoModifier, QPoint(5, 5));
        const QList<QLineEdit*> edits = fields(page);
        for (int i = 0; i < edits.size(); ++i) {
            edits.at(i)->clear();
            QTest::keyClicks(edits.at(i), values.at(i));
        }
    }

    void save(QWidget* page)
    {
        QTest::mouseClick(child<QPushButton>(page, "pushButton_save"), Qt::LeftButton);
    }

private slots:
    void init() { reset(); }

    void showFillsFromTheFile()
    {
        Networksetting page(nullptr);
        QVERIFY(Sandbox::writeFile(netconfig, "my static mode\n" + staticFile.mid(7)));
        page.show();
        QVERIFY(child<QRadioButton>(&page, "radioButton_staticip")->isChecked());
        QVERIFY(child<QRadioButton>(&page, "radioButton_staicdns")->isChecked());
        QStringList shown;
        for (QLineEdit* field : fields(&page)) {
            shown << field->text();
            QVERIFY(field->isEnabled());
        }
        QCOMPARE(shown, QStringList({"10.1.1.5", "255.255.0.0", "10.1.1.1", "8.8.8.8", ""}));
        QCOMPARE(child<QLabel>(&page, "label_dns1")->text(), QString("DNS1:"));
        QCOMPARE(child<QLabel>(&page, "label_mask")->text(), text(29));

        QFile::remove(netconfig);
        page.show();
        QVERIFY(child<QRadioButton>(&page, "radioButton_autoip")->isChecked());
        for (QLineEdit* field : fields(&page)) {
            QVERIFY(field->text().isEmpty());
            QVERIFY(!field->isEnabled());
        }
    }

    void automaticClearsAndBothGroupsMoveTogether()
    {
        Networksetting page(nullptr);
        QVERIFY(Sandbox::writeFile(netconfig, staticFile));
        page.show();
        QTest::mouseClick(child<QRadioButton>(&page, "radioButton_autodns"), Qt::LeftButton,
                          Qt::NoModifier, QPoint(5, 5));
        QVERIFY(child<QRadioButton>(&page, "radioButton_autoip")->isChecked());
        for (QLineEdit* field : fields(&page))
            QVERIFY(field->text().isEmpty() && !field->isEnabled());
        QTest::mouseClick(child<QRadioButton>(&page, "radioButton_staicdns"), Qt::LeftButton,
                          Qt::NoModifier, QPoint(5, 5));
        QVERIFY(child<QRadioButton>(&page, "radioButton_staticip")->isChecked());
        for (QLineEdit* field : fields(&page))
            QVERIFY(field->text().isEmpty() && field->isEnabled());
    }

    // The order of the checks is AddressingFile's (tst_settingsfiles); here
    // the page shows the first failure and stores nothing.
    void invalidFieldsAreReportedInOrder_data()
    {
        QTest::addColumn<QStringList>("values");
        QTest::addColumn<int>("textId");
        QTest::newRow("address 300")
            << QStringList{"192.168.1.300", "255.255.255.0", "192.168.1.1", "", ""} << 69;
        QTest::newRow("non-contiguous mask")
            << QStringList{"192.168.1.3", "255.0.255.0", "192.168.1.1", "", ""} << 70;
        QTest::newRow("DNS 2 only, bad")
            << QStringList{"192.168.1.3", "255.0.0.0", "192.168.1.1", "", "1.1.1"} << 73;
    }

    void invalidFieldsAreReportedInOrder()
    {
        QFETCH(QStringList, values);
        QFETCH(int, textId);
        QVERIFY(Sandbox::writeFile(netconfig, staticFile));
        Networksetting page(nullptr);
        page.show();
        type(&page, values);
        MessageBoxAnswerer answerer(QMessageBox::Yes);
        save(&page);
        QCOMPARE(answerer.boxes.size(), 1);
        QCOMPARE(answerer.boxes.at(0).title, QString(" "));
        QCOMPARE(answerer.boxes.at(0).text, text(textId));
        QCOMPARE(Sandbox::readFile(netconfig), staticFile);
        QVERIFY(LauncherFixture::laterScriptHasRun());
        QVERIFY(scriptOrder().isEmpty());
    }

    void staticWithoutDnsIsStoredAndApplied()
    {
        Networksetting page(nullptr);
        page.show();
        type(&page, {"192.168.1.3", "255.255.0.0", "192.168.1.1", "", ""});
        MessageBoxAnswerer answerer(QMessageBox::Yes);
        save(&page);
        QCOMPARE(answerer.boxes.size(), 1);
        QCOMPARE(answerer.boxes.at(0).text, text(48));
        QCOMPARE(Sandbox::readFile(netconfig),
                 QByteArray("static\n192.168.1.3\n255.255.0.0\n192.168.1.1\n\n\n"));
        QTRY_COMPARE(Sandbox::recordedCalls(loginScript("ifconfig_wlan0_down.sh")).size(), 1);
        QTRY_COMPARE(Sandbox::recordedCalls(loginScript("setnetwork.sh")).size(), 1);
    }

    void automaticWritesFiveSingleSpaces()
    {
        QVERIFY(Sandbox::writeFile(netconfig, staticFile));
        Networksetting page(nullptr);
        page.show();
        QTest::mouseClick(child<QRadioButton>(&page, "radioButton_autoip"), Qt::LeftButton,
                          Qt::NoModifier, QPoint(5, 5));
        MessageBoxAnswerer answerer(QMessageBox::Yes);
        save(&page);
        QCOMPARE(Sandbox::readFile(netconfig), QByteArray("auto\n \n \n \n \n \n"));
        QTRY_COMPARE(Sandbox::recordedCalls(loginScript("setnetwork.sh")).size(), 1);
    }

    void nothingIsAppliedUnlessWritten_data()
    {
        QTest::addColumn<QMessageBox::StandardButton>("answer");
        QTest::addColumn<bool>("readOnly");
        QTest::addColumn<QList<int>>("textIds");
        QTest::newRow("No") << QMessageBox::No << false << QList<int>{48};
        QTest::newRow("read-only disk") << QMessageBox::Yes << true << QList<int>{48, 122};
    }

    void nothingIsAppliedUnlessWritten()
    {
        QFETCH(QMessageBox::StandardButton, answer);
        QFETCH(bool, readOnly);
        QFETCH(QList<int>, textIds);
        QVERIFY(Sandbox::writeFile(netconfig, staticFile));
        ReadOnlyDirectory readOnlyDir(QFileInfo(netconfig).path(), readOnly);
        QVERIFY(readOnlyDir.ok());
        Networksetting page(nullptr);
        page.show();
        type(&page, {"10.9.9.9", "255.0.0.0", "10.9.9.1", "", ""});
        MessageBoxAnswerer answerer(answer);
        save(&page);
        QCOMPARE(answerer.texts(), texts(textIds));
        QCOMPARE(Sandbox::readFile(netconfig), staticFile);
        QVERIFY(LauncherFixture::laterScriptHasRun());
        QVERIFY(scriptOrder().isEmpty());
    }
};

SANDBOX_GUI_TEST_MAIN(TestNetworksetting)
#include "tst_networksetting.moc"
