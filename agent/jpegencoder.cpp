#include "jpegencoder.h"

#include "screenframe.h"

#include <csetjmp>
#include <cstdio> // jpeglib.h needs FILE
#include <vector>

#include <jpeglib.h>

namespace {

const qsizetype MinimumOutputSize = 64 * 1024;

// libjpeg reports errors through a callback that must not return; it jumps
// back to encode(), which then cleans up and fails.
struct ErrorManager
{
    jpeg_error_mgr base;
    std::jmp_buf exit;
};

void errorExit(j_common_ptr cinfo)
{
    std::longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->exit, 1);
}

// Warnings of the library would go to standard error; a capture has nobody to tell.
void ignoreMessage(j_common_ptr) {}

// Writes the JPEG file straight into a QByteArray, doubling it when full.
struct ByteArrayDestination
{
    jpeg_destination_mgr base;
    QByteArray* out;
};

ByteArrayDestination* destinationOf(j_compress_ptr cinfo)
{
    return reinterpret_cast<ByteArrayDestination*>(cinfo->dest);
}

void initDestination(j_compress_ptr cinfo)
{
    QByteArray& out = *destinationOf(cinfo)->out;
    out.resize(qMax(out.capacity(), MinimumOutputSize));
    cinfo->dest->next_output_byte = reinterpret_cast<JOCTET*>(out.data());
    cinfo->dest->free_in_buffer = size_t(out.size());
}

boolean emptyOutputBuffer(j_compress_ptr cinfo)
{
    QByteArray& out = *destinationOf(cinfo)->out;
    const qsizetype used = out.size();
    out.resize(used * 2);
    cinfo->dest->next_output_byte = reinterpret_cast<JOCTET*>(out.data()) + used;
    cinfo->dest->free_in_buffer = size_t(out.size() - used);
    return TRUE;
}

void termDestination(j_compress_ptr cinfo)
{
    QByteArray& out = *destinationOf(cinfo)->out;
    out.resize(out.size() - qsizetype(cinfo->dest->free_in_buffer));
}

// How libjpeg is handed the frame's rows: as they are where it can read the
// layout, else converted to RGB a row at a time.
struct InputFormat
{
    J_COLOR_SPACE space = JCS_RGB;
    int components = 3;
    bool direct = false;
};

InputFormat inputFormatOf(const ScreenFrame& frame)
{
    const bool bgr = frame.hasByteChannels(2);
    const bool rgb = frame.hasByteChannels(0);
    if (!bgr && !rgb)
        return {};
    if (frame.bitsPerPixel == 32)
        return {bgr ? JCS_EXT_BGRX : JCS_EXT_RGBX, 4, true};
    return {bgr ? JCS_EXT_BGR : JCS_EXT_RGB, 3, true};
}

void setUpCompression(jpeg_compress_struct& cinfo, const ScreenFrame& frame,
                      const InputFormat& format, int quality)
{
    jpeg_create_compress(&cinfo);
    cinfo.image_width = JDIMENSION(frame.width);
    cinfo.image_height = JDIMENSION(frame.height);
    cinfo.input_components = format.components;
    cinfo.in_color_space = format.space;
    jpeg_set_defaults(&cinfo);
    // Dots per inch as Qt's writer stamps the images of a program without a screen.
    cinfo.density_unit = 1;
    cinfo.X_density = 100;
    cinfo.Y_density = 100;
    cinfo.dct_method = JDCT_ISLOW;
    jpeg_set_quality(&cinfo, quality, TRUE);
}

// Everything libjpeg may jump out of. Kept apart from encode() so that no
// local of the frame that calls setjmp holds state a jump could clobber:
// every object that needs cleaning up belongs to the caller.
bool compress(jpeg_compress_struct& cinfo, ErrorManager& errors, jpeg_destination_mgr& destination,
              const ScreenFrame& frame, const InputFormat& format, int quality, JSAMPROW* rows,
              JSAMPLE* rgb)
{
    if (setjmp(errors.exit))
        return false;
    setUpCompression(cinfo, frame, format, quality);
    cinfo.dest = &destination;
    jpeg_start_compress(&cinfo, TRUE);
    if (format.direct) {
        for (int y = 0; y < frame.height; ++y)
            rows[y] = const_cast<JSAMPROW>(frame.row(y));
        while (cinfo.next_scanline < cinfo.image_height)
            jpeg_write_scanlines(&cinfo, rows + cinfo.next_scanline,
                                 cinfo.image_height - cinfo.next_scanline);
    } else {
        rows[0] = rgb;
        while (cinfo.next_scanline < cinfo.image_height) {
            frame.rowToRgb(int(cinfo.next_scanline), rgb);
            jpeg_write_scanlines(&cinfo, rows, 1);
        }
    }
    jpeg_finish_compress(&cinfo);
    return true;
}

} // namespace

bool JpegEncoder::encode(const ScreenFrame& frame, int quality, QByteArray& out, QString& error)
{
    const InputFormat format = inputFormatOf(frame);
    std::vector<JSAMPROW> rows(format.direct ? size_t(frame.height) : 1);
    std::vector<JSAMPLE> rgb(format.direct ? 0 : size_t(frame.width) * 3);

    // Zeroed, so that destroying it is safe even when creating it failed.
    jpeg_compress_struct cinfo = {};
    ErrorManager errors;
    cinfo.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = errorExit;
    errors.base.output_message = ignoreMessage;
    ByteArrayDestination destination;
    destination.base.init_destination = initDestination;
    destination.base.empty_output_buffer = emptyOutputBuffer;
    destination.base.term_destination = termDestination;
    destination.out = &out;

    out.truncate(0);
    const bool done =
        compress(cinfo, errors, destination.base, frame, format, quality, rows.data(), rgb.data());
    if (!done) {
        char message[JMSG_LENGTH_MAX];
        (*cinfo.err->format_message)(reinterpret_cast<j_common_ptr>(&cinfo), message);
        error = QString::fromLocal8Bit(message);
        out.truncate(0);
    }
    jpeg_destroy_compress(&cinfo);
    return done;
}
