#pragma once

#include <QImage>
#include <QSize>
#include <QString>

#include <future>

// Reads the part of a background picture that a screen shows. The window
// tiles its background from the top left corner and never scales it, so of
// a picture larger than the screen only the screen-sized top left part is
// ever seen. Decoding just those rows, straight into an image of that size
// and converting only the pixels shown, takes well under half the time and a
// third of the memory of decoding the whole picture, and the background is
// the largest picture the launcher decodes at start.
class BackgroundPicture
{
public:
    // The top left min(picture, screen) part of the picture in fileName (a
    // file or a resource), as an RGB32 image, or ARGB32 when the picture has
    // transparency. A null image when it cannot be read. Interlaced PNGs and
    // other formats are decoded whole and then cut.
    static QImage visiblePart(const QString& fileName, const QSize& screen);

    // Runs visiblePart() on a thread of its own, so that the picture is
    // decoded on another core while the window is being built. Where no
    // thread can be started it runs when its result is first asked for.
    static std::future<QImage> startReading(const QString& fileName, const QSize& screen);
};
