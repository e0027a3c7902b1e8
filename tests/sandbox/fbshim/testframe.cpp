#include "testframe.h"

#include <QFile>

#include <cmath>

namespace {

const quint32 Desktop = 0x3a6ea5;
const quint32 WindowGrey = 0xf0f0f0;
const quint32 Ink = 0x101010;
const quint32 Blocks[] = {0xff0000, 0x00ff00, 0x0000ff, 0xffff00, 0xffffff, 0x000000};
const int BlockCount = int(sizeof Blocks / sizeof Blocks[0]);

quint32 hash(quint32 a, quint32 b)
{
    quint32 h = a * 0x9e3779b1u ^ (b + 0x7f4a7c15u) * 0x85ebca6bu;
    h ^= h >> 15;
    h *= 0xc2b2ae35u;
    return h ^ (h >> 13);
}

quint32 rgb(int r, int g, int b)
{
    return quint32(qBound(0, r, 255)) << 16 | quint32(qBound(0, g, 255)) << 8
           | quint32(qBound(0, b, 255));
}

// 8 x 16 character cells; about one cell in seven is a space.
quint32 textPixel(int x, int y)
{
    const int column = x / 8, line = y / 16, px = x % 8, py = y % 16;
    const quint32 character = hash(quint32(column), quint32(line)) % 95;
    if (character % 7 == 0 || px < 1 || px > 6 || py < 3 || py > 13)
        return WindowGrey;
    return hash(character, quint32(px / 2 * 8 + py / 3)) & 1 ? Ink : WindowGrey;
}

quint32 photoPixel(int x, int y)
{
    const int noise = int(hash(quint32(x), quint32(y)) % 25) - 12;
    return rgb(int(128 + 60 * std::sin(x / 37.0) + 40 * std::cos(y / 23.0)) + noise,
               int(110 + 70 * std::sin((x + y) / 51.0)) + noise,
               int(90 + 50 * std::cos(x / 19.0) * std::sin(y / 29.0)) + noise);
}

} // namespace

quint32 TestFrame::rgbAt(int x, int y, int width, int height)
{
    if (y < height / 24)
        return rgb(0x20 + 0x40 * x / width, 0x20 + 0x60 * x / width, 0x40 + 0x80 * x / width);
    const int windowLeft = width / 16, windowRight = width / 2;
    if (x >= windowLeft && x < windowRight && y >= height / 8 && y < 7 * height / 8) {
        if (y >= 11 * height / 16 && y < 13 * height / 16) {
            const int block = (x - windowLeft) / (width / 16);
            if (block < BlockCount && (x - windowLeft) % (width / 16) >= width / 64)
                return Blocks[block];
            return WindowGrey;
        }
        if (y >= height / 8 + 16 && y < height / 2 && x >= windowLeft + 8 && x < windowRight - 8)
            return textPixel(x - windowLeft, y);
        return WindowGrey;
    }
    if (x >= 9 * width / 16 && x < 15 * width / 16) {
        if (y >= height / 8 && y < height / 2)
            return photoPixel(x, y);
        if (y >= 5 * height / 8 && y < 7 * height / 8) {
            const int t = 255 * (y - 5 * height / 8) / (height / 4);
            return rgb(t, 255 - t, 128 + t / 2);
        }
    }
    return Desktop;
}

QList<TestFrame::Sample> TestFrame::flatSamples(int width, int height)
{
    QList<Sample> samples;
    const int blockWidth = width / 16;
    for (int block = 0; block < BlockCount; ++block) {
        const int x = width / 16 + block * blockWidth + (width / 64 + blockWidth) / 2;
        samples.append({x, 3 * height / 4, Blocks[block]});
    }
    samples.append({width / 4, 19 * height / 32, WindowGrey});
    samples.append({17 * width / 32, 9 * height / 16, Desktop});
    return samples;
}

QByteArray TestFrame::pixels(int width, int height, int bits, int lineLength)
{
    const int bytesPerPixel = bits / 8;
    const int line = lineLength > 0 ? lineLength : width * bytesPerPixel;
    QByteArray frame(qsizetype(line) * height, char(0xa5));
    for (int y = 0; y < height; ++y) {
        uchar* pixel = reinterpret_cast<uchar*>(frame.data()) + qsizetype(y) * line;
        for (int x = 0; x < width; ++x, pixel += bytesPerPixel) {
            const quint32 colour = rgbAt(x, y, width, height);
            quint32 word = colour;  // 24 and 32 bits: red 16, green 8, blue 0
            if (bits == 16)
                word = (colour >> 8 & 0xf800) | (colour >> 5 & 0x07e0) | (colour >> 3 & 0x001f);
            for (int b = 0; b < bytesPerPixel; ++b)
                pixel[b] = uchar(word >> (8 * b));
        }
    }
    return frame;
}

bool TestFrame::install(int device, const QString& path, int width, int height, int bits,
                        int lineLength)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const QByteArray frame = pixels(width, height, bits, lineLength);
    if (file.write(frame) != frame.size())
        return false;
    file.close();
    const QByteArray name = "FBSHIM_FB" + QByteArray::number(device);
    QByteArray geometry = QByteArray::number(width) + "x" + QByteArray::number(height) + "x"
                          + QByteArray::number(bits);
    if (lineLength > 0)
        geometry += ":" + QByteArray::number(lineLength);
    qputenv(name, path.toLocal8Bit());
    qputenv(name + "_GEOMETRY", geometry);
    qunsetenv(name + "_FAIL");
    return true;
}
