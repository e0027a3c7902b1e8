#pragma once

#include <QByteArray>
#include <QString>

class ScreenFrame;

// Baseline JPEG of a framebuffer frame: 4:2:0, accurate integer DCT and a
// 100 dpi JFIF header: the file Qt's image writer gives for the same pixels.
// 24- and 32-bit frames go to the encoder straight from their rows; other
// formats are converted a row at a time.
class JpegEncoder
{
public:
    static constexpr int DefaultQuality = 75;

    // Replaces out with the JPEG file, reusing its allocation. On failure
    // returns false and describes it in error.
    static bool encode(const ScreenFrame& frame, int quality, QByteArray& out, QString& error);
};
