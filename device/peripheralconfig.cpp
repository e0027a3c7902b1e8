#include "peripheralconfig.h"

#include "devicepaths.h"
#include "linefile.h"

PeripheralConfig PeripheralConfig::read()
{
    const QStringList lines = LineFile::read(QStringLiteral(PERIPHERALCONFIGFILE), 6);
    PeripheralConfig config;
    config.volume = lines.at(0).toInt();
    config.mute = lines.at(1).contains(QLatin1String("mute"));
    config.usbDisk = lines.at(2).contains(QLatin1String("disk"));
    config.language = lines.at(3).toInt();
    config.keyboard = lines.at(4).toInt();
    config.soundCard = lines.at(5);
    return config;
}

QStringList PeripheralConfig::lines() const
{
    const QString none = QStringLiteral("none");
    return {QString::number(volume),
            mute ? QStringLiteral("mute") : none,
            usbDisk ? QStringLiteral("disk") : none,
            QString::number(language),
            QString::number(keyboard),
            soundCard};
}

bool PeripheralConfig::write() const
{
    return LineFile::write(QStringLiteral(PERIPHERALCONFIGFILE), lines());
}
