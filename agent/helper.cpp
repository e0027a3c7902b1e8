#include "helper.h"

#include <QString>

#include <cstdio>
#include <cstdlib>

void Helper::myMsgHandler(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    // One formatted write per message keeps lines of different threads apart.
    const QByteArray text = message.toLocal8Bit();
    switch (type) {
    case QtDebugMsg:
        std::fprintf(stderr, "Debug: %s\n", text.constData());
        break;
    case QtWarningMsg:
        std::fprintf(stderr, "Warning: %s\n", text.constData());
        break;
    case QtCriticalMsg:
        std::fprintf(stderr, "Critical: %s\n", text.constData());
        break;
    case QtFatalMsg:
        std::fprintf(stderr, "Fatal: %s\n", text.constData());
        std::abort();
    default:
        break;
    }
}
