#include "mylib.h"

#include "devicepaths.h"
#include "framebuffermapping.h"
#include "jpegencoder.h"
#include "linefile.h"
#include "screenframe.h"
#include "scriptrunner.h"

#include <QDebug>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <linux/fb.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {
const char* const GetScript = "./getRDPinfo.sh";
const char* const UpdateScript = "./updateRDPinfo.sh";
const int GetScriptTimeoutMs = 30000;
// Larger than any panel; a device reporting more is not believed.
const quint32 MaximumSide = 16384;

const char* screenDevice()
{
    // Chosen once: switching the display takes effect when the agent restarts.
    static const char* const device = isHdmiEnabled() ? "/dev/fb1" : "/dev/fb0";
    return device;
}

// The log says that a password is there and how long it is, never what it is.
QByteArray masked(qsizetype length)
{
    return "<" + QByteArray::number(length) + " bytes>";
}

// The settings script's output as logged: the password field, from the
// second "|" up to the port's, masked.
QByteArray maskedOutput(const QByteArray& output)
{
    const qsizetype begin = output.indexOf('|', output.indexOf('|') + 1) + 1;
    if (begin == 0)
        return output;
    const qsizetype last = output.lastIndexOf('|');
    const qsizetype end = last >= begin ? last : output.size();
    return output.left(begin) + masked(end - begin) + output.mid(end);
}

ScreenFrame::Channel channel(const fb_bitfield& field)
{
    return {int(qMin<quint32>(field.offset, 64)), int(qMin<quint32>(field.length, 64))};
}

// Fills in the frame's geometry and the address of the device memory;
// false when they cannot be read or the frame cannot be encoded.
bool readGeometry(int fd, ScreenFrame& frame, unsigned long& memoryStart)
{
    fb_var_screeninfo var{};
    if (::ioctl(fd, FBIOGET_VSCREENINFO, &var) != 0) {
        qWarning() << "Provider::getScreenData: FBIOGET_VSCREENINFO " << std::strerror(errno);
        return false;
    }
    qDebug() << "Provider::getScreenData: width: " << var.xres << " height: " << var.yres
             << " depth: " << var.bits_per_pixel;
    if (var.xres == 0 || var.yres == 0 || var.xres > MaximumSide || var.yres > MaximumSide) {
        qWarning() << "Provider::getScreenData: bad frame size";
        return false;
    }
    frame.width = int(var.xres);
    frame.height = int(var.yres);
    frame.bitsPerPixel = int(qMin<quint32>(var.bits_per_pixel, 64));
    frame.red = channel(var.red);
    frame.green = channel(var.green);
    frame.blue = channel(var.blue);
    if (!frame.hasSupportedFormat()) {
        qWarning() << "Provider::getScreenData: unsupported pixel format";
        return false;
    }
    const int packed = frame.width * (frame.bitsPerPixel / 8);
    // Drivers may pad each row to their line length; without it rows are packed.
    fb_fix_screeninfo fix{};
    const bool fixed = ::ioctl(fd, FBIOGET_FSCREENINFO, &fix) == 0;
    const bool padded = fixed && fix.line_length != 0;
    if (padded && (fix.line_length < quint32(packed) || fix.line_length > 4 * MaximumSide)) {
        qWarning() << "Provider::getScreenData: bad line length " << fix.line_length;
        return false;
    }
    frame.bytesPerLine = padded ? int(fix.line_length) : packed;
    memoryStart = fixed ? fix.smem_start : 0;
    return true;
}
} // namespace

bool isHdmiEnabled()
{
    bool ok = false;
    const int value = LineFile::read(QStringLiteral(HDMIDISPLAYFILE), 1).at(0).trimmed().toInt(&ok);
    return ok && value != 0;
}

bool Provider::getScreenData(ScreenFrame& frame)
{
    // Kept per pool thread, like the frame of getScreenImage().
    thread_local FramebufferMapping mapping;
    const char* const device = screenDevice();
    qDebug() << "Provider::getScreenData: screen_dev: " << device;
    const int fd = ::open(device, O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        qWarning() << "open fb0 " << std::strerror(errno);
        return false;
    }
    unsigned long memoryStart = 0;
    if (!readGeometry(fd, frame, memoryStart)) {
        ::close(fd);
        return false;
    }
    // The last row's padding is left out: it may lie beyond the device's memory.
    const size_t size = size_t(frame.bytesPerLine) * size_t(frame.height - 1)
                        + size_t(frame.width) * size_t(frame.bitsPerPixel / 8);
    const uchar* const pixels = mapping.map(fd, size, memoryStart);
    const int mapError = errno;
    // The mapping keeps the memory on its own.
    ::close(fd);
    if (pixels == nullptr) {
        qWarning() << "mmap fb0 " << std::strerror(mapError);
        return false;
    }
    // Copied at once so that the encoder reads cached memory rather than the
    // display's, and redraws during the encoding do not reach the image.
    std::memcpy(frame.allocate(qsizetype(size)), pixels, size);
    return true;
}

bool Provider::getScreenImage(QByteArray& out)
{
    // One frame buffer per pool thread, reused by its later captures.
    thread_local ScreenFrame frame;
    if (!getScreenData(frame)) {
        qWarning() << "Provider::getScreenImage: getScreenData error";
        return false;
    }
    QString error;
    if (!JpegEncoder::encode(frame, JpegEncoder::DefaultQuality, out, error)) {
        qWarning() << "ScreenBuffer::save to buffer error: " << error;
        return false;
    }
    return true;
}

RDP_Info Provider::getRDPInfo()
{
    if (::access(GetScript, F_OK) != 0) {
        qWarning() << "Provider::failed to get RDP configuration: " << std::strerror(errno);
        return RDP_Info();
    }
    const ScriptRunner::Output output =
        ScriptRunner::read(QString::fromLatin1(GetScript), {}, GetScriptTimeoutMs, ScriptRunner::Via::Shell);
    if (!output.ok) {
        qWarning() << "Provider::failed get RDP info " << output.errorText;
        return RDP_Info();
    }
    qDebug() << "Provider::getRDPInfo: " << maskedOutput(output.standardOutput);
    const RDP_Info info = parseRDPInfo(output.standardOutput);
    qDebug() << "RDP_IP: \t" << info.serverAddress;
    qDebug() << "RDP_USER: \t" << info.user;
    qDebug() << "RDP_PASSWORD: \t" << masked(info.password.size());
    qDebug() << "RDP_PORT: \t" << info.port;
    return info;
}

RDP_Info Provider::parseRDPInfo(const QByteArray& output)
{
    RDP_Info info;
    // The password may hold "|": it is all between the user and the port,
    // which cannot.
    const QString text = QString::fromLatin1(output).trimmed();
    const qsizetype afterServer = text.indexOf(QLatin1Char('|'));
    const qsizetype afterUser = afterServer < 0 ? -1 : text.indexOf(QLatin1Char('|'), afterServer + 1);
    const qsizetype beforePort = text.lastIndexOf(QLatin1Char('|'));
    if (afterUser < 0 || beforePort <= afterUser)
        return info;
    info.serverAddress = text.left(afterServer);
    info.user = text.mid(afterServer + 1, afterUser - afterServer - 1);
    info.password = text.mid(afterUser + 1, beforePort - afterUser - 1);
    info.port = leadingInt(text.mid(beforePort + 1));
    return info;
}

int Provider::leadingInt(const QString& text)
{
    qsizetype i = 0;
    while (i < text.size() && text.at(i).isSpace())
        ++i;
    bool negative = false;
    if (i < text.size() && (text.at(i) == QLatin1Char('-') || text.at(i) == QLatin1Char('+'))) {
        negative = text.at(i) == QLatin1Char('-');
        ++i;
    }
    qint64 value = 0;
    for (; i < text.size() && text.at(i) >= QLatin1Char('0') && text.at(i) <= QLatin1Char('9'); ++i) {
        value = value * 10 + (text.at(i).unicode() - '0');
        if (value > std::numeric_limits<int>::max())
            return 0;
    }
    return int(negative ? -value : value);
}

void Provider::setRDPInfo(const QString& address, const QString& user, const QString& password,
                          const QString& port)
{
    if (::access(UpdateScript, F_OK) != 0) {
        qWarning() << "Provider::setRDPInfo:failed to set RDP configuration: "
                   << std::strerror(errno);
        return;
    }
    // Each character stands for one byte, which reaches the script unchanged.
    ScriptRunner::executeBytes(QString::fromLatin1(UpdateScript),
                               {address.toLatin1(), user.toLatin1(), password.toLatin1(), port.toLatin1()},
                               ScriptRunner::Via::Shell);
    qDebug() << "Provider::setRDPInfo: ";
    qDebug() << "\tRDP_IP: \t" << address;
    qDebug() << "\tRDP_USER: \t" << user;
    qDebug() << "\tRDP_PASSWORD: \t" << masked(password.size());
    qDebug() << "\tRDP_PORT: \t" << port;
}
