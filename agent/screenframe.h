#pragma once

#include <QtGlobal>

#include <vector>

// One frame copied out of the framebuffer, rows as the device lays them out
// (line length may exceed width x bytes per pixel). The pixel buffer is kept
// between captures so that a capture does not page in a fresh 8 MB each time.
class ScreenFrame
{
public:
    // Where a colour channel sits in a pixel word, as the framebuffer reports it.
    struct Channel
    {
        int offset = 0;
        int length = 0;
    };

    int width = 0;
    int height = 0;
    int bytesPerLine = 0;
    int bitsPerPixel = 0;
    Channel red;
    Channel green;
    Channel blue;

    // Room for size bytes; earlier contents are not kept.
    uchar* allocate(qsizetype size);
    const uchar* row(int y) const { return m_pixels.data() + qsizetype(y) * bytesPerLine; }

    // True for 16, 24 or 32 bits per pixel with channels of 1 to 8 bits
    // inside the pixel word.
    bool hasSupportedFormat() const;
    // True when each channel is one whole byte: red at byte redByte, green
    // at byte 1, blue at byte 2 - redByte of the little-endian pixel word.
    bool hasByteChannels(int redByte) const;
    // Row y as 8-bit R, G, B triples (width x 3 bytes), for any supported format.
    void rowToRgb(int y, uchar* rgb) const;

private:
    std::vector<uchar> m_pixels;
};
