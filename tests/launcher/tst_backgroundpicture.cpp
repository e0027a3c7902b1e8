#include "backgroundpicture.h"
#include "sandboxtestmain.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTest>

#include <png.h>

#include <cstdio>

namespace {
const QString dir = QStringLiteral("/tmp/backgroundpicture");

// What the window shows of a picture decoded whole by Qt: its top left
// min(picture, screen) part, in the 32-bit format of the fast path.
QImage expected(const QImage& whole, const QSize& screen)
{
    const QSize part = screen.isEmpty() ? whole.size() : whole.size().boundedTo(screen);
    return whole.copy(QRect(QPoint(0, 0), part))
        .convertToFormat(whole.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
}

// An Adam7-interlaced RGB PNG of image, which Qt's writer cannot produce.
bool writeInterlaced(const QString& path, const QImage& image)
{
    const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    FILE* file = std::fopen(QFile::encodeName(path).constData(), "wb");
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (!file || !info || setjmp(png_jmpbuf(png)))
        return false;
    png_init_io(png, file);
    png_set_IHDR(png, info, png_uint_32(rgb.width()), png_uint_32(rgb.height()), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_ADAM7, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    const int passes = png_set_interlace_handling(png);
    for (int pass = 0; pass < passes; ++pass)
        for (int y = 0; y < rgb.height(); ++y)
            png_write_row(png, rgb.constScanLine(y));
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return std::fclose(file) == 0;
}

// A picture with a different colour in every pixel, so a shifted or
// mis-cut row cannot go unnoticed.
QImage pattern(const QSize& size, bool alpha)
{
    QImage image(size, alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            image.setPixel(x, y, qRgba(x * 7 % 256, y * 5 % 256, (x + y) % 256, alpha ? (x * y) % 256 : 255));
    return image;
}
} // namespace

class TestBackgroundPicture : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QDir(dir).removeRecursively();
        QVERIFY(QDir().mkpath(dir));
    }

    void builtInBackgroundsAreCutToTheScreen_data()
    {
        QTest::addColumn<QString>("picture");
        QTest::addColumn<QSize>("screen");
        for (const char* name : {"800X600", "1024X768", "1280X720", "1280X1024", "1360X768", "1366x768",
                                 "1440X900", "1680X1050", "1920X1080"})
            QTest::newRow(name) << QStringLiteral(":/images/%1.png").arg(QLatin1String(name)) << QSize(1024, 768);
        QTest::newRow("screen as large") << ":/images/1920X1080.png" << QSize(1920, 1080);
        QTest::newRow("screen wider") << ":/images/1366x768.png" << QSize(1920, 600);
        QTest::newRow("screen taller") << ":/images/1366x768.png" << QSize(1000, 1080);
        QTest::newRow("screen larger") << ":/images/800X600.png" << QSize(1920, 1080);
        QTest::newRow("no screen size") << ":/images/800X600.png" << QSize();
    }

    void builtInBackgroundsAreCutToTheScreen()
    {
        QFETCH(QString, picture);
        QFETCH(QSize, screen);
        const QImage part = BackgroundPicture::visiblePart(picture, screen);
        QCOMPARE(part, expected(QImage(picture), screen));
        QCOMPARE(part.format(), QImage::Format_RGB32);
    }

    void everyPngLayoutReadsAsQtReadsIt_data()
    {
        QTest::addColumn<QImage>("image");
        const QSize size(300, 200);
        QTest::newRow("rgb") << pattern(size, false);
        QTest::newRow("rgba") << pattern(size, true);
        QTest::newRow("rgb 16 bit") << pattern(size, false).convertToFormat(QImage::Format_RGBX64);
        QTest::newRow("rgba 16 bit") << pattern(size, true).convertToFormat(QImage::Format_RGBA64);
        QTest::newRow("grey") << pattern(size, false).convertToFormat(QImage::Format_Grayscale8);
        QTest::newRow("grey 16 bit") << pattern(size, false).convertToFormat(QImage::Format_Grayscale16);
        QImage indexed(size, QImage::Format_Indexed8);
        indexed.setColorTable({qRgba(0, 0, 0, 0), qRgba(255, 0, 0, 128), qRgb(0, 255, 0), qRgb(10, 20, 30)});
        for (int y = 0; y < size.height(); ++y)
            for (int x = 0; x < size.width(); ++x)
                indexed.setPixel(x, y, uint((x / 3 + y) % 4));
        QTest::newRow("palette with transparency") << indexed;
        indexed.setColorTable({qRgb(0, 0, 0), qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(10, 20, 30)});
        QTest::newRow("palette") << indexed;
        QImage mono(size, QImage::Format_Mono);
        mono.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
        for (int y = 0; y < size.height(); ++y)
            for (int x = 0; x < size.width(); ++x)
                mono.setPixel(x, y, uint((x ^ y) & 1));
        QTest::newRow("one bit") << mono;
    }

    void everyPngLayoutReadsAsQtReadsIt()
    {
        QFETCH(QImage, image);
        const QString path = dir + "/layout.png";
        QVERIFY(image.save(path, "PNG"));
        const QImage whole(path);
        for (const QSize& screen : {QSize(120, 80), QSize(300, 200), QSize(640, 480)})
            QCOMPARE(BackgroundPicture::visiblePart(path, screen), expected(whole, screen));
    }

    void interlacedAndOtherFormatsAreReadWholeAndCut()
    {
        const QImage image = pattern(QSize(160, 90), false);
        QVERIFY(writeInterlaced(dir + "/interlaced.png", image));
        QCOMPARE(BackgroundPicture::visiblePart(dir + "/interlaced.png", QSize(100, 50)),
                 expected(image, QSize(100, 50)));
        QVERIFY(image.save(dir + "/picture.bmp", "BMP"));
        QCOMPARE(BackgroundPicture::visiblePart(dir + "/picture.bmp", QSize(100, 200)),
                 expected(image, QSize(100, 200)));
    }

    void brokenPicturesGiveNoImage()
    {
        QVERIFY(BackgroundPicture::visiblePart(dir + "/missing.png", QSize(100, 100)).isNull());
        QVERIFY(BackgroundPicture::visiblePart(":/images/missing.png", QSize(100, 100)).isNull());

        QFile whole(":/images/1024X768.png");
        QVERIFY(whole.open(QIODevice::ReadOnly));
        const QByteArray bytes = whole.readAll();
        // Cut short inside the header, inside the pixel data, and garbled pixel data.
        QByteArray garbled = bytes;
        for (qsizetype i = 200; i < garbled.size() - 100; i += 97)
            garbled[i] = char(garbled.at(i) ^ 0x5a);
        for (const QByteArray& broken : {bytes.left(20), bytes.left(bytes.size() / 2), garbled}) {
            QVERIFY(Sandbox::writeFile(dir + "/broken.png", broken));
            QVERIFY(BackgroundPicture::visiblePart(dir + "/broken.png", QSize(1024, 768)).isNull());
        }
    }

    void readingOnAnotherThreadGivesTheSamePicture()
    {
        std::future<QImage> reading = BackgroundPicture::startReading(":/images/1366x768.png", QSize(1024, 600));
        QCOMPARE(reading.get(), BackgroundPicture::visiblePart(":/images/1366x768.png", QSize(1024, 600)));
    }
};

SANDBOX_TEST_MAIN(TestBackgroundPicture)
#include "tst_backgroundpicture.moc"
