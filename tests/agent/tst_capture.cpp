#include "sandboxtestmain.h"

#include "devicepaths.h"
#include "mylib.h"
#include "testframe.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>

#include <algorithm>
#include <fcntl.h>
#include <linux/fb.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <thread>
#include <unistd.h>

// The agent's framebuffer capture against the sandbox's framebuffer
// stand-in (preloaded): geometry, depths, row padding, device choice and
// failures, checked by decoding the JPEG files it produces.
class TestCapture : public QObject
{
    Q_OBJECT

    const QString fb0 = QStringLiteral("/tmp/fb0.raw");
    const QString fb1 = QStringLiteral("/tmp/fb1.raw");
    const QString displayFile = QStringLiteral(HDMIDISPLAYFILE);

    // Largest channel difference tolerated in flat areas after JPEG.
    static constexpr int Tolerance = 12;

    static QImage decode(const QByteArray& jpeg)
    {
        QImage image;
        image.loadFromData(jpeg, "JPEG");
        return image;
    }

    static QByteArray capture()
    {
        QByteArray jpeg;
        return Provider::getScreenImage(jpeg) ? jpeg : QByteArray();
    }

    static int distance(QRgb a, quint32 b)
    {
        return qMax(qAbs(qRed(a) - int(b >> 16 & 0xff)),
                    qMax(qAbs(qGreen(a) - int(b >> 8 & 0xff)), qAbs(qBlue(a) - int(b & 0xff))));
    }

    // The decoded image has the frame's size and its flat areas' colours.
    static void verifyShowsFrame(const QByteArray& jpeg, int width, int height)
    {
        const QImage image = decode(jpeg);
        QCOMPARE(image.size(), QSize(width, height));
        for (const TestFrame::Sample& sample : TestFrame::flatSamples(width, height)) {
            const QRgb seen = image.pixel(sample.x, sample.y);
            QVERIFY2(distance(seen, sample.rgb) <= Tolerance,
                     qPrintable(QString("at %1,%2: %3 instead of %4")
                                    .arg(sample.x)
                                    .arg(sample.y)
                                    .arg(seen & 0xffffff, 6, 16, QChar('0'))
                                    .arg(sample.rgb, 6, 16, QChar('0'))));
        }
    }

    // One capture in a new process: the device choice is made once per process.
    QByteArray captureInNewProcess(QByteArray* log)
    {
        const QString out = QStringLiteral("/tmp/child.jpg");
        QFile::remove(out);
        QProcess child;
        child.start(QStringLiteral(FBCAPTURE_PATH), {out});
        if (!child.waitForFinished(30000))
            return QByteArray();
        *log = child.readAllStandardError();
        QFile file(out);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(!QFile::exists(displayFile));
        QVERIFY(TestFrame::install(0, fb0, 640, 480, 32));
        // The first capture fixes the device for this process: /dev/fb0.
        QVERIFY(!capture().isEmpty());
    }

    void init()
    {
        QFile::remove(displayFile);
        qunsetenv("FBSHIM_FB1");
        qunsetenv("FBSHIM_FB0_OFFSET");
    }

    void fullHdFrame()
    {
        QVERIFY(TestFrame::install(0, fb0, 1920, 1080, 32));
        const QByteArray jpeg = capture();
        verifyShowsFrame(jpeg, 1920, 1080);

        // Baseline, 4:2:0, quality 75: the file Qt's own writer gives for these pixels.
        const QByteArray pixels = TestFrame::pixels(1920, 1080, 32);
        const QImage image(reinterpret_cast<const uchar*>(pixels.constData()), 1920, 1080,
                           QImage::Format_RGB32);
        QBuffer qtJpeg;
        QVERIFY(qtJpeg.open(QIODevice::WriteOnly));
        QVERIFY(image.save(&qtJpeg, "JPEG", -1));
        QCOMPARE(jpeg.size(), qtJpeg.data().size());
        QVERIFY(jpeg == qtJpeg.data());
    }

    void depths_data()
    {
        QTest::addColumn<int>("bits");
        QTest::newRow("RGB565") << 16;
        QTest::newRow("24 bits") << 24;
        QTest::newRow("32 bits") << 32;
    }

    void depths()
    {
        QFETCH(int, bits);
        QVERIFY(TestFrame::install(0, fb0, 800, 600, bits));
        verifyShowsFrame(capture(), 800, 600);
    }

    void paddedRows_data()
    {
        QTest::addColumn<int>("bits");
        QTest::addColumn<int>("padding");
        QTest::newRow("32 bits, 64 bytes") << 32 << 64;
        QTest::newRow("24 bits, 5 bytes") << 24 << 5;
        QTest::newRow("RGB565, 2 bytes") << 16 << 2;
    }

    // Rows longer than the visible width give the same image as packed rows.
    void paddedRows()
    {
        QFETCH(int, bits);
        QFETCH(int, padding);
        QVERIFY(TestFrame::install(0, fb0, 640, 480, bits));
        const QByteArray packed = capture();
        QVERIFY(TestFrame::install(0, fb0, 640, 480, bits, 640 * bits / 8 + padding));
        const QByteArray padded = capture();
        QVERIFY(!padded.isEmpty());
        QVERIFY(padded == packed);
        verifyShowsFrame(padded, 640, 480);
    }

    // The mapping kept between captures shows what is drawn now, and is
    // made again for another device memory.
    void laterPixelsAndOtherMemory()
    {
        QVERIFY(TestFrame::install(0, fb0, 640, 480, 32));
        verifyShowsFrame(capture(), 640, 480);

        const QByteArray grey(640 * 480 * 4, char(0x40));
        QFile drawn(fb0);
        QVERIFY(drawn.open(QIODevice::ReadWrite));
        QCOMPARE(drawn.write(grey), grey.size());
        drawn.close();
        QCOMPARE(decode(capture()).pixel(320, 240) & 0xffffff, 0x404040u);

        QVERIFY(TestFrame::install(0, fb0, 640, 480, 32));
        const QString other = QStringLiteral("/tmp/fb0-other.raw");
        QVERIFY(Sandbox::writeFile(other, QByteArray(640 * 480 * 4, char(0x80))));
        qputenv("FBSHIM_FB0", other.toLocal8Bit());
        QCOMPARE(decode(capture()).pixel(320, 240) & 0xffffff, 0x808080u);
        QFile::remove(other);
    }

    // What a program drawing into the device (as Qt's linuxfb plugin does)
    // writes, a capture in another process sees.
    void drawingThroughTheDevice()
    {
        QVERIFY(TestFrame::install(0, fb0, 640, 480, 16, 1312));
        const int fd = ::open("/dev/fb0", O_RDWR | O_CLOEXEC);
        QVERIFY(fd >= 0);
        fb_var_screeninfo var{};
        fb_fix_screeninfo fix{};
        QCOMPARE(::ioctl(fd, FBIOGET_VSCREENINFO, &var), 0);
        QCOMPARE(::ioctl(fd, FBIOGET_FSCREENINFO, &fix), 0);
        QCOMPARE(var.xres, 640u);
        QCOMPARE(var.bits_per_pixel, 16u);
        QCOMPARE(var.red.offset, 11u);
        QCOMPARE(var.green.length, 6u);
        QCOMPARE(fix.line_length, 1312u);
        QCOMPARE(fix.smem_len, 1312u * 480);
        QCOMPARE(::ioctl(fd, FBIOBLANK, 0), 0);
        QCOMPARE(::ioctl(fd, FBIOPAN_DISPLAY, &var), 0);
        var.yoffset = 1;
        QCOMPARE(::ioctl(fd, FBIOPAN_DISPLAY, &var), -1);

        void* memory = ::mmap(nullptr, fix.smem_len, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
        QVERIFY(memory != MAP_FAILED);
        QCOMPARE(::mmap(nullptr, fix.smem_len + 1, PROT_READ, MAP_SHARED, fd, 0), MAP_FAILED);
        for (quint32 y = 0; y < var.yres; ++y) {
            char* const row = static_cast<char*>(memory) + y * fix.line_length;
            std::fill_n(reinterpret_cast<quint16*>(row), var.xres, quint16(0x001f));  // blue
        }
        ::munmap(memory, fix.smem_len);
        QCOMPARE(::close(fd), 0);

        QByteArray log;
        const QImage image = decode(captureInNewProcess(&log));
        QCOMPARE(image.size(), QSize(640, 480));
        QVERIFY(distance(image.pixel(320, 240), 0x0000ff) <= Tolerance);
    }

    void failures_data()
    {
        QTest::addColumn<QByteArray>("fail");
        QTest::addColumn<QString>("warning");
        QTest::newRow("screen information") << QByteArray("vscreeninfo")
                                            << "^Provider::getScreenData: FBIOGET_VSCREENINFO ";
        QTest::newRow("mapping") << QByteArray("mmap") << "^mmap fb0 ";
    }

    void failures()
    {
        QFETCH(QByteArray, fail);
        QFETCH(QString, warning);
        QVERIFY(TestFrame::install(0, fb0, 640, 480, 32));
        qputenv("FBSHIM_FB0_FAIL", fail);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(warning));
        QTest::ignoreMessage(QtWarningMsg, "Provider::getScreenImage: getScreenData error");
        // A thread of its own maps the device afresh.
        bool captured = true;
        std::thread([&captured] {
            QByteArray out;
            captured = Provider::getScreenImage(out);
        }).join();
        QVERIFY(!captured);
    }

    void noDevice()
    {
        qunsetenv("FBSHIM_FB0");
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^open fb0 .*No such file"));
        QTest::ignoreMessage(QtWarningMsg, "Provider::getScreenImage: getScreenData error");
        QVERIFY(capture().isEmpty());
    }

    // Without a line length the rows are taken as packed.
    void noFixedInformation()
    {
        QVERIFY(TestFrame::install(0, fb0, 640, 480, 32));
        qputenv("FBSHIM_FB0_FAIL", "fscreeninfo");
        verifyShowsFrame(capture(), 640, 480);
    }

    // A pixel file with a header before the device memory (as the screen
    // file of "Xvfb -fbdir"), at an offset that is not page-aligned: the
    // capture shows the pixels after the header, and the next capture, of
    // another device memory, takes the mapping back and makes a new one.
    void headerBeforePixels()
    {
        const QString screenFile = QStringLiteral("/tmp/xvfb-screen.raw");
        const QByteArray header(3232, char(0x5a));
        QVERIFY(Sandbox::writeFile(screenFile, header + TestFrame::pixels(800, 600, 32)));
        qputenv("FBSHIM_FB0", screenFile.toLocal8Bit());
        qputenv("FBSHIM_FB0_GEOMETRY", "800x600x32");
        qputenv("FBSHIM_FB0_OFFSET", QByteArray::number(header.size()));
        verifyShowsFrame(capture(), 800, 600);

        qunsetenv("FBSHIM_FB0_OFFSET");
        QVERIFY(TestFrame::install(0, fb0, 640, 480, 32));
        verifyShowsFrame(capture(), 640, 480);
        QFile::remove(screenFile);
    }

    void deviceChoice_data()
    {
        QTest::addColumn<QByteArray>("display");
        QTest::addColumn<bool>("hdmi");
        QTest::newRow("absent") << QByteArray() << false;
        QTest::newRow("1 with blanks") << QByteArray(" 1 \n") << true;
        QTest::newRow("other non-zero") << QByteArray("2\nignored\n") << true;
        QTest::newRow("0") << QByteArray("0\n") << false;
        QTest::newRow("letters") << QByteArray("hdmi\n") << false;
        QTest::newRow("number then letters") << QByteArray("1x\n") << false;
        QTest::newRow("empty first line") << QByteArray("\n1\n") << false;
    }

    // fb0 and fb1 differ in size, so the image tells which was read.
    void deviceChoice()
    {
        QFETCH(QByteArray, display);
        QFETCH(bool, hdmi);
        if (!display.isNull())
            QVERIFY(Sandbox::writeFile(displayFile, display));
        QCOMPARE(isHdmiEnabled(), hdmi);
        QVERIFY(TestFrame::install(0, fb0, 640, 480, 32));
        QVERIFY(TestFrame::install(1, fb1, 800, 600, 16));
        QByteArray log;
        const QByteArray jpeg = captureInNewProcess(&log);
        if (hdmi)
            verifyShowsFrame(jpeg, 800, 600);
        else
            verifyShowsFrame(jpeg, 640, 480);
        QVERIFY2(log.contains(hdmi ? "screen_dev:  /dev/fb1" : "screen_dev:  /dev/fb0"), log);
    }

    // The choice made at this process's first capture stays.
    void deviceChoiceIsKept()
    {
        QVERIFY(Sandbox::writeFile(displayFile, " 1 \n"));
        QVERIFY(TestFrame::install(0, fb0, 640, 480, 32));
        QVERIFY(TestFrame::install(1, fb1, 800, 600, 32));
        verifyShowsFrame(capture(), 640, 480);
    }

    void cleanupTestCase()
    {
        QFile::remove(displayFile);
        QFile::remove(fb0);
        QFile::remove(fb1);
    }
};

SANDBOX_TEST_MAIN(TestCapture)
#include "tst_capture.moc"
