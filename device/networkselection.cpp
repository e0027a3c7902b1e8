#include "networkselection.h"

#include "devicepaths.h"
#include "linefile.h"

#include <QFile>
#include <QTextStream>

QString NetworkSelection::path()
{
    return QStringLiteral(WIFICONFIGSDIR "../Networkselection");
}

bool NetworkSelection::read(QString* type)
{
    QFile file(path());
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return false;
    *type = QTextStream(&file).readLine();
    return true;
}

bool NetworkSelection::write(const QString& type)
{
    return LineFile::writeBytes(path(), type.toUtf8());
}
