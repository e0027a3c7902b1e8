#include "backgroundpicture.h"

#include <QFile>
#include <QImageReader>

#include <png.h>

#include <csetjmp>
#include <cstring>
#include <system_error>
#include <vector>

namespace {

struct Source {
    const uchar* data;
    size_t size;
    size_t offset;
};

void readFromSource(png_structp png, png_bytep out, size_t length)
{
    auto* source = static_cast<Source*>(png_get_io_ptr(png));
    if (length > source->size - source->offset)
        png_error(png, "cut short");
    std::memcpy(out, source->data + source->offset, length);
    source->offset += length;
}

// A picture that cannot be read leaves the background empty, silently.
[[noreturn]] void failQuietly(png_structp png, png_const_charp)
{
    png_longjmp(png, 1);
}

void ignoreWarning(png_structp, png_const_charp) {}

struct Header {
    png_uint_32 width = 0;
    png_uint_32 height = 0;
    bool alpha = false;
    bool interlaced = false;
};

// libpng reports errors by a longjmp back to the setjmp of the function that
// called it, so the two functions that call into it own no objects with
// destructors.
bool readHeader(png_structp png, png_infop info, Header* header)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_read_info(png, info);
    header->width = png_get_image_width(png, info);
    header->height = png_get_image_height(png, info);
    header->interlaced = png_get_interlace_type(png, info) != PNG_INTERLACE_NONE;
    header->alpha = (png_get_color_type(png, info) & PNG_COLOR_MASK_ALPHA) != 0
        || png_get_valid(png, info, PNG_INFO_tRNS) != 0;
    // Every layout becomes four 8-bit channels in the memory order of Qt's
    // 32-bit formats.
    png_set_expand(png);
    png_set_scale_16(png);
    png_set_gray_to_rgb(png);
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
    png_set_bgr(png);
    if (!header->alpha)
        png_set_filler(png, 0xff, PNG_FILLER_AFTER);
#else
    if (header->alpha)
        png_set_swap_alpha(png);
    else
        png_set_filler(png, 0xff, PNG_FILLER_BEFORE);
#endif
    png_read_update_info(png, info);
    return png_get_rowbytes(png, info) == size_t(header->width) * 4;
}

bool readRows(png_structp png, png_bytep row, uchar* bits, qsizetype bytesPerLine, int rows, size_t rowBytes)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    for (int y = 0; y < rows; ++y) {
        png_read_row(png, row, nullptr);
        std::memcpy(bits + y * bytesPerLine, row, rowBytes);
    }
    return true;
}

QSize partShown(const QSize& picture, const QSize& screen)
{
    return screen.isEmpty() ? picture : picture.boundedTo(screen);
}

QImage wholeThenCut(const QString& fileName, const QSize& screen)
{
    QImageReader reader(fileName);
    const QSize picture = reader.size();
    if (picture.isValid())
        reader.setClipRect(QRect(QPoint(0, 0), partShown(picture, screen)));
    const QImage image = reader.read();
    return image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
}

struct ReadStruct {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, failQuietly, ignoreWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    ~ReadStruct() { png_destroy_read_struct(&png, &info, nullptr); }
};

} // namespace

QImage BackgroundPicture::visiblePart(const QString& fileName, const QSize& screen)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray data = file.readAll();
    const auto* bytes = reinterpret_cast<const uchar*>(data.constData());
    if (data.size() < 8 || png_sig_cmp(bytes, 0, 8) != 0)
        return wholeThenCut(fileName, screen);

    ReadStruct read;
    if (!read.info)
        return {};
    Source source{bytes, size_t(data.size()), 0};
    png_set_read_fn(read.png, &source, readFromSource);
    Header header;
    if (!readHeader(read.png, read.info, &header))
        return {};
    // Interlaced rows arrive in passes over the whole picture.
    if (header.interlaced)
        return wholeThenCut(fileName, screen);

    const QSize part = partShown(QSize(int(header.width), int(header.height)), screen);
    QImage image(part, header.alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    if (image.isNull())
        return {};
    std::vector<png_byte> row(size_t(header.width) * 4);
    if (!readRows(read.png, row.data(), image.bits(), image.bytesPerLine(), part.height(), size_t(part.width()) * 4))
        return {};
    return image;
}

std::future<QImage> BackgroundPicture::startReading(const QString& fileName, const QSize& screen)
{
    try {
        return std::async(std::launch::async, visiblePart, fileName, screen);
    } catch (const std::system_error&) {
        return std::async(std::launch::deferred, visiblePart, fileName, screen);
    }
}
