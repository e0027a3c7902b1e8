#include "requiredfile.h"

#include "jyndebugonarm.h"
#include "launcherbuild.h"

#include <QDebug>

#include <cstdlib>

namespace {
RequiredFile::Ending s_ending = nullptr;
}

void RequiredFile::missing(const QString& message, int status)
{
    if constexpr (liteBuild)
        jyndebugonarm{message};
    else
        qDebug("%s", qPrintable(message));
    if (s_ending)
        s_ending(status);
    else
        std::exit(status);
}

void RequiredFile::setEnding(Ending ending)
{
    s_ending = ending;
}
