#include "networkselection.h"

#include "devicepaths.h"

#include <QFile>
#include <QSaveFile>
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
    QSaveFile file(path());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return false;
    const QByteArray content = type.toUtf8();
    return file.write(content) == content.size() && file.commit();
}
