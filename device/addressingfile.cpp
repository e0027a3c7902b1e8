#include "addressingfile.h"

#include "addressvalidator.h"
#include "linefile.h"

AddressingFile AddressingFile::read(const QString& path)
{
    const QStringList lines = LineFile::read(path, 6);
    AddressingFile file;
    file.isStatic = lines.at(0).contains(QLatin1String("static"));
    if (file.isStatic) {
        file.address = lines.at(1);
        file.netmask = lines.at(2);
        file.gateway = lines.at(3);
        file.dns1 = lines.at(4);
        file.dns2 = lines.at(5);
    }
    return file;
}

AddressingFile AddressingFile::automatic()
{
    const QString blank(QLatin1Char(' '));
    AddressingFile file;
    file.address = file.netmask = file.gateway = file.dns1 = file.dns2 = blank;
    return file;
}

int AddressingFile::invalidFieldTextId() const
{
    if (!AddressValidator::isIPaddress(address))
        return 69;
    if (!AddressValidator::isNetMask(netmask))
        return 70;
    if (!AddressValidator::isIPaddress(gateway))
        return 71;
    if (!dns1.isEmpty() && !AddressValidator::isDnsaddress(dns1))
        return 72;
    if (!dns2.isEmpty() && !AddressValidator::isDnsaddress(dns2))
        return 73;
    return 0;
}

QStringList AddressingFile::lines() const
{
    return {isStatic ? QStringLiteral("static") : QStringLiteral("auto"),
            address,
            netmask,
            gateway,
            dns1,
            dns2};
}

bool AddressingFile::write(const QString& path) const
{
    return LineFile::write(path, lines());
}
