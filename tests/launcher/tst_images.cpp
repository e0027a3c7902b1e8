#include "sandboxtestmain.h"
#include "sourcescan.h"

#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>

// The launcher's built-in pictures: each background has the size its name
// gives (the window draws it unscaled), the indicators have the size their
// style sheets draw them at, and every picture the launcher's sources and
// forms name is in the bundle, since a missing one is silently drawn as nothing.
class TestImages : public QObject
{
    Q_OBJECT

    // "file:line: name" for each ":/images/..." in the sources under dir
    // that does not load from the bundle. Names put together at run time
    // ("%1") are left to the tests of the code that builds them.
    QStringList missingPictures(const QString& dir)
    {
        static const QRegularExpression name(QStringLiteral("(:/images/[^\"'()<>;%\\s]+)"));
        QStringList missing;
        const QList<SourceScan::Match> uses = SourceScan::find(
            dir, {QStringLiteral("*.cpp"), QStringLiteral("*.h"), QStringLiteral("*.ui")}, name, &missing);
        for (const SourceScan::Match& use : uses) {
            if (QImage(use.captured).isNull())
                missing.append(use.where + QStringLiteral(": ") + use.captured);
        }
        return missing;
    }

private slots:
    void backgroundHasItsScreenSize_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QSize>("size");
        QTest::newRow("800") << "800X600" << QSize(800, 600);
        QTest::newRow("1024") << "1024X768" << QSize(1024, 768);
        QTest::newRow("1280x720") << "1280X720" << QSize(1280, 720);
        QTest::newRow("1280x1024") << "1280X1024" << QSize(1280, 1024);
        QTest::newRow("1360") << "1360X768" << QSize(1360, 768);
        QTest::newRow("1366, lower-case x") << "1366x768" << QSize(1366, 768);
        QTest::newRow("1440") << "1440X900" << QSize(1440, 900);
        QTest::newRow("1680") << "1680X1050" << QSize(1680, 1050);
        QTest::newRow("1920") << "1920X1080" << QSize(1920, 1080);
    }

    void backgroundHasItsScreenSize()
    {
        QFETCH(QString, name);
        QFETCH(QSize, size);
        const QString path = QStringLiteral(":/images/%1.png").arg(name);
        QCOMPARE(QImage(path).size(), size);
        // Every launcher carries all nine in its binary.
        QVERIFY2(QFileInfo(path).size() < 400 * 1024, qPrintable(QString::number(QFileInfo(path).size())));
    }

    void indicatorsHaveTheirDrawnSize()
    {
        for (const char* name : {"check-button_on", "check-button_off"})
            QCOMPARE(QImage(QStringLiteral(":/images/%1.png").arg(QLatin1String(name))).size(), QSize(25, 25));
        for (const char* name : {"radio-button_on", "radio-button_off"})
            QCOMPARE(QImage(QStringLiteral(":/images/%1.png").arg(QLatin1String(name))).size(), QSize(24, 24));
    }

    void everyWidgetPictureLoads()
    {
        const QStringList names{"main", "release/back", "over/back", "press/back", "disabled/back",
                                "lineedit", "lineedit_focus", "check", "tabwdt", "usr", "usr1",
                                "connect", "connect_wifi", "disconnect", "neterror", "neterror_wifi"};
        for (const QString& name : names) {
            const QImage image(QStringLiteral(":/images/%1.png").arg(name));
            QVERIFY2(!image.isNull(), qPrintable(name));
            // Style sheets draw them over other widgets, so corners stay see-through.
            QVERIFY2(image.hasAlphaChannel(), qPrintable(name));
        }
    }

    void everyPictureTheLauncherNamesExists()
    {
        const QStringList missing = missingPictures(QStringLiteral(LAUNCHER_SOURCE_DIR));
        QVERIFY2(missing.isEmpty(), qPrintable(missing.join(QLatin1Char('\n'))));
    }

    void aMissingPictureIsReported()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString form = dir.filePath(QStringLiteral("forms/page.ui"));
        QVERIFY(Sandbox::writeFile(form, "<string notr=\"true\">#frame{border-image: url(:/images/main.png);}\n"
                                         "QPushButton{border-image: url(:/images/relase/back.png);}</string>\n"));
        QVERIFY(Sandbox::writeFile(dir.filePath(QStringLiteral("page.cpp")),
                                   "setStyleSheet(\"border-image: url(:/images/lineedit.png);\");\n"
                                   "QStringLiteral(\"url(:/images/%1.png)\").arg(name);\n"));
        QCOMPARE(missingPictures(dir.path()), QStringList{form + QStringLiteral(":2: :/images/relase/back.png")});
    }
};

SANDBOX_TEST_MAIN(TestImages)
#include "tst_images.moc"
