#pragma once

#include <QString>
#include <QStringList>

// The display files: "display/resolution" (mode string, colour depth) and
// "display/colordepth" (colour depth).
class DisplayConfig
{
public:
    // The mode strings in the order the page tests them.
    static const QStringList& modes();
    // "1280x720-60": stored when nothing is chosen, shown when nothing matches.
    static constexpr int defaultModeIndex = 2;
    // The first mode that occurs anywhere in the stored line.
    static int modeIndexFor(const QString& storedLine);

    // The depth choices, 16 and 32, with 24 as well when offered (the
    // reduced launcher offers it), and the one a stored line selects; a depth
    // not offered ("24" without it) is kept rather than replaced.
    static QStringList depths(bool with24);
    static QString depthFor(const QString& storedLine, bool with24);

    // Line 1 of each file (empty when unreadable).
    static QString readResolution();
    static QString readColorDepth();

    // Replaces both files; false as soon as one cannot be written.
    static bool write(const QString& mode, const QString& depth);
};
