#pragma once

#include <QByteArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>

// The address a terminal report names as its own, or empty for anything but
// a report (the requests of consoles, malformed datagrams).
inline QString reportSender(const QByteArray& datagram)
{
    if (!datagram.startsWith("##"))
        return {};
    const QJsonObject packet = QJsonDocument::fromJson(datagram.mid(2)).object();
    if (packet.value("key").toString() != QLatin1String("TERMINALMSG"))
        return {};
    const QByteArray content = packet.value("content").toString().toLatin1();
    return QJsonDocument::fromJson(content).object().value("ip").toString();
}
