#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// A desktop-like frame for capture tests and benchmarks: a flat desktop, a
// title bar gradient, a window with lines of text, flat colour blocks, a
// photo-like region and a vertical gradient. Every pixel is a function of
// its coordinates, so a test knows what a capture must show.
class TestFrame
{
public:
    struct Sample
    {
        int x;
        int y;
        quint32 rgb;
    };

    // Colour of pixel (x, y) of a width x height frame, as 0xRRGGBB.
    static quint32 rgbAt(int x, int y, int width, int height);
    // Points in the middle of flat areas (at least 640 x 480 keeps them well
    // inside), with their colours.
    static QList<Sample> flatSamples(int width, int height);

    // The frame in the framebuffer stand-in's layout at bits per pixel (16,
    // 24 or 32), rows of lineLength bytes (0: packed); padding bytes are 0xA5.
    static QByteArray pixels(int width, int height, int bits, int lineLength = 0);

    // Makes the frame the contents of /dev/fbN for the stand-in: writes the
    // pixel file and sets FBSHIM_FBN and FBSHIM_FBN_GEOMETRY, clearing FBSHIM_FBN_FAIL.
    static bool install(int device, const QString& path, int width, int height, int bits,
                        int lineLength = 0);
};
