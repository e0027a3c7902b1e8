#include "displayconfig.h"

#include "devicepaths.h"
#include "linefile.h"

const QStringList& DisplayConfig::modes()
{
    static const QStringList list = {
        QStringLiteral("800x600-60"),   QStringLiteral("1024x768-60"),
        QStringLiteral("1280x720-60"),  QStringLiteral("1280x1024-60"),
        QStringLiteral("1360x768-60"),  QStringLiteral("1440x900-60"),
        QStringLiteral("1680x1050-60"), QStringLiteral("1920x1080-60"),
    };
    return list;
}

int DisplayConfig::modeIndexFor(const QString& storedLine)
{
    for (qsizetype i = 0; i < modes().size(); ++i) {
        if (storedLine.contains(modes().at(i)))
            return int(i);
    }
    return defaultModeIndex;
}

namespace {
// Every depth there is, in the order they are tested with 24 offered.
const QStringList allDepths = {QStringLiteral("16"), QStringLiteral("24"), QStringLiteral("32")};
}

QStringList DisplayConfig::depths(bool with24)
{
    if (with24)
        return allDepths;
    return {QStringLiteral("16"), QStringLiteral("32")};
}

QString DisplayConfig::depthFor(const QString& storedLine, bool with24)
{
    for (const QStringList& candidates : {depths(with24), allDepths}) {
        for (const QString& depth : candidates) {
            if (storedLine.contains(depth))
                return depth;
        }
    }
    return depths(with24).constFirst();
}

QString DisplayConfig::readResolution()
{
    return LineFile::read(QStringLiteral(DISPLAYRESOLUTIONFILE), 1).constFirst();
}

QString DisplayConfig::readColorDepth()
{
    return LineFile::read(QStringLiteral(DISPLAYCOLORDEPTHFILE), 1).constFirst();
}

bool DisplayConfig::write(const QString& mode, const QString& depth)
{
    return LineFile::write(QStringLiteral(DISPLAYRESOLUTIONFILE), {mode, depth})
           && LineFile::write(QStringLiteral(DISPLAYCOLORDEPTHFILE), {depth});
}
