#include "screenframe.h"

#include <array>

namespace {

bool validChannel(const ScreenFrame::Channel& channel, int bitsPerPixel)
{
    return channel.length >= 1 && channel.length <= 8 && channel.offset >= 0
           && channel.offset + channel.length <= bitsPerPixel;
}

bool isByte(const ScreenFrame::Channel& channel, int byte)
{
    return channel.offset == byte * 8 && channel.length == 8;
}

// Channel value to 8 bits, spreading the range evenly (31 -> 255 for 5 bits).
std::array<uchar, 256> scaleTable(int length)
{
    std::array<uchar, 256> table{};
    const int maximum = (1 << length) - 1;
    for (int value = 0; value <= maximum; ++value)
        table[value] = uchar((value * 255 + maximum / 2) / maximum);
    return table;
}

} // namespace

uchar* ScreenFrame::allocate(qsizetype size)
{
    if (m_pixels.size() < size_t(size))
        m_pixels.resize(size_t(size));
    return m_pixels.data();
}

bool ScreenFrame::hasSupportedFormat() const
{
    return (bitsPerPixel == 16 || bitsPerPixel == 24 || bitsPerPixel == 32)
           && validChannel(red, bitsPerPixel) && validChannel(green, bitsPerPixel)
           && validChannel(blue, bitsPerPixel);
}

bool ScreenFrame::hasByteChannels(int redByte) const
{
    return (bitsPerPixel == 24 || bitsPerPixel == 32) && isByte(red, redByte) && isByte(green, 1)
           && isByte(blue, 2 - redByte);
}

void ScreenFrame::rowToRgb(int y, uchar* rgb) const
{
    const std::array<uchar, 256> redTable = scaleTable(red.length);
    const std::array<uchar, 256> greenTable = scaleTable(green.length);
    const std::array<uchar, 256> blueTable = scaleTable(blue.length);
    const int bytesPerPixel = bitsPerPixel / 8;
    const uchar* pixel = row(y);
    for (int x = 0; x < width; ++x, pixel += bytesPerPixel, rgb += 3) {
        quint32 word = 0;
        for (int b = 0; b < bytesPerPixel; ++b)
            word |= quint32(pixel[b]) << (8 * b);
        rgb[0] = redTable[(word >> red.offset) & ((1u << red.length) - 1)];
        rgb[1] = greenTable[(word >> green.offset) & ((1u << green.length) - 1)];
        rgb[2] = blueTable[(word >> blue.offset) & ((1u << blue.length) - 1)];
    }
}
