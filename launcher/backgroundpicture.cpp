#include "backgroundpicture.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>

#include <png.h>

#include <algorithm>
#include <bit>
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

// How the rows arrive from libpng. The three layouts the built-in pictures
// use are read as stored and only the pixels shown are converted; the
// others are expanded by libpng to four 8-bit channels.
enum class Layout { Rgb, Rgba, Palette, Expanded };

struct Header {
    png_uint_32 width = 0;
    png_uint_32 height = 0;
    bool alpha = false;
    bool interlaced = false;
    Layout layout = Layout::Expanded;
    size_t rowBytes = 0;
    QRgb palette[256] = {};
};

void readPalette(png_structp png, png_infop info, Header* header)
{
    // An index beyond the palette reads as opaque black, as libpng expands it.
    std::fill(std::begin(header->palette), std::end(header->palette), qRgb(0, 0, 0));
    png_colorp colours = nullptr;
    int count = 0;
    png_get_PLTE(png, info, &colours, &count);
    png_bytep alphas = nullptr;
    int alphaCount = 0;
    png_get_tRNS(png, info, &alphas, &alphaCount, nullptr);
    for (int i = 0; i < count && i < 256; ++i)
        header->palette[i] = qRgba(colours[i].red, colours[i].green, colours[i].blue, i < alphaCount ? alphas[i] : 255);
}

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
    const int colourType = png_get_color_type(png, info);
    const bool eightBit = png_get_bit_depth(png, info) == 8;
    const bool transparentColour = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
    header->alpha = (colourType & PNG_COLOR_MASK_ALPHA) != 0 || transparentColour;
    if (eightBit && colourType == PNG_COLOR_TYPE_RGB && !transparentColour) {
        header->layout = Layout::Rgb;
        header->rowBytes = size_t(header->width) * 3;
    } else if (eightBit && colourType == PNG_COLOR_TYPE_RGB_ALPHA) {
        header->layout = Layout::Rgba;
        header->rowBytes = size_t(header->width) * 4;
    } else if (eightBit && colourType == PNG_COLOR_TYPE_PALETTE) {
        header->layout = Layout::Palette;
        header->rowBytes = header->width;
        readPalette(png, info, header);
    } else {
        // Four 8-bit channels in the memory order of Qt's 32-bit formats.
        header->layout = Layout::Expanded;
        header->rowBytes = size_t(header->width) * 4;
        png_set_expand(png);
        png_set_scale_16(png);
        png_set_gray_to_rgb(png);
        if constexpr (std::endian::native == std::endian::little) {
            png_set_bgr(png);
            if (!header->alpha)
                png_set_filler(png, 0xff, PNG_FILLER_AFTER);
        } else {
            if (header->alpha)
                png_set_swap_alpha(png);
            else
                png_set_filler(png, 0xff, PNG_FILLER_BEFORE);
        }
    }
    png_read_update_info(png, info);
    return png_get_rowbytes(png, info) == header->rowBytes;
}

// The first `count` pixels of a row as stored, as RGB32 or ARGB32.
void convertRow(const Header& header, const png_byte* row, QRgb* out, int count)
{
    switch (header.layout) {
    case Layout::Rgb:
        for (int x = 0; x < count; ++x, row += 3)
            out[x] = qRgb(row[0], row[1], row[2]);
        break;
    case Layout::Rgba:
        for (int x = 0; x < count; ++x, row += 4)
            out[x] = qRgba(row[0], row[1], row[2], row[3]);
        break;
    case Layout::Palette:
        for (int x = 0; x < count; ++x)
            out[x] = header.palette[row[x]];
        break;
    case Layout::Expanded:
        std::memcpy(out, row, size_t(count) * 4);
        break;
    }
}

bool readRows(png_structp png, const Header& header, png_bytep row, QImage* image)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    for (int y = 0; y < image->height(); ++y) {
        png_read_row(png, row, nullptr);
        convertRow(header, row, reinterpret_cast<QRgb*>(image->scanLine(y)), image->width());
    }
    return true;
}

QSize partShown(const QSize& picture, const QSize& screen)
{
    return screen.isEmpty() ? picture : picture.boundedTo(screen);
}

// Other formats and interlaced PNGs, from the bytes already read.
QImage wholeThenCut(const QByteArray& data, const QSize& screen)
{
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
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
        return wholeThenCut(data, screen);

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
        return wholeThenCut(data, screen);

    const QSize part = partShown(QSize(int(header.width), int(header.height)), screen);
    QImage image(part, header.alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    if (image.isNull())
        return {};
    std::vector<png_byte> row(header.rowBytes);
    if (!readRows(read.png, header, row.data(), &image))
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
