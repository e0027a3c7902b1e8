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

QStringList ServerProfile::read(const QString& address, int lineCount, bool* opened)
{
    if (!isValidName(address)) {
        if (opened)
            *opened = false;
        return LineFile::read(QString(), lineCount);
    }
    return LineFile::read(filePath(address), lineCount, opened);
}

bool ServerProfile::write(const QStringList& lines)
{
    const QString address = lines.value(Address);
    if (!isValidName(address))
        return false;
    return LineFile::write(filePath(address), lines);
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
