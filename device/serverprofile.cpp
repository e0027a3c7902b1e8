#include "serverprofile.h"

#include "devicepaths.h"
#include "linefile.h"

#include <QDir>
#include <QFile>

namespace {
const QString suffix = QStringLiteral(".usr");
}

QStringList ServerProfile::names()
{
    QStringList result;
    const QStringList files = QDir(QStringLiteral(USRINFODIR)).entryList({QLatin1Char('*') + suffix});
    for (const QString& file : files)
        result.append(file.chopped(suffix.size()));
    return result;
}

bool ServerProfile::isValidName(const QString& address)
{
    return !address.isEmpty() && address != QLatin1String(".") && address != QLatin1String("..")
           && !address.contains(QLatin1Char('/')) && !address.contains(QChar(0));
}

QString ServerProfile::filePath(const QString& address)
{
    return QStringLiteral(USRINFODIR) + address + suffix;
}

ServerProfile::Record ServerProfile::Record::fromLines(const QStringList& lines)
{
    return {lines.value(0), lines.value(1), lines.value(2), lines.value(3), lines.value(4),
            lines.value(5), lines.value(6), lines.value(7), lines.value(8)};
}

QStringList ServerProfile::Record::lines(int count) const
{
    return QStringList{address, user, password, port, domain, remember, autoconnect, rdpVersion, countdown}.mid(
        0, count);
}

ServerProfile::Record ServerProfile::read(const QString& address, bool* opened)
{
    const int all = lineCount(false);
    if (!isValidName(address)) {
        if (opened)
            *opened = false;
        return Record::fromLines(LineFile::read(QString(), all));
    }
    return Record::fromLines(LineFile::read(filePath(address), all, opened));
}

bool ServerProfile::write(const Record& profile, int count)
{
    if (!isValidName(profile.address))
        return false;
    return LineFile::write(filePath(profile.address), profile.lines(count));
}

bool ServerProfile::remove(const QString& address)
{
    return isValidName(address) && QFile::remove(filePath(address));
}

bool ServerProfile::copyToConnectFile(const QString& address)
{
    if (!isValidName(address))
        return false;
    QFile profile(filePath(address));
    if (!profile.open(QIODevice::ReadOnly))
        return false;
    const QByteArray content = profile.readAll();
    if (profile.error() != QFileDevice::NoError)
        return false;
    return LineFile::writeBytes(QStringLiteral(CONNECTFILE), content);
}
