#pragma once

#include "sharekeys.h"

#include <QByteArray>
#include <QString>

#include <string>
#include <vector>

class QUdpSocket;
class ReportTable;

// The network side of termctl: share protocol requests over UDP.
class ConsoleClient
{
public:
    static constexpr quint16 Port = ShareKeys::UdpPort;
    // What one report of about 600 bytes takes of a socket's receive buffer.
    static constexpr int ReportBufferBytes = 1280;

    // Sends one packet to port 9800 of the destination (host order).
    static bool send(const std::string& key, const std::string& content, quint32 destination,
                     QString& error);
    static bool send(QUdpSocket& socket, const std::string& key, const std::string& content,
                     quint32 destination, QString& error);
    // Binds socket to port 9800, where the terminals' reports arrive.
    static bool listen(QUdpSocket& socket, QString& error);

    // Sends one datagram as it is, to any port.
    static bool sendDatagram(const QByteArray& datagram, quint32 destination, quint16 port,
                             QString& error);

    // Sends the discovery request to each destination and collects the
    // reports heard for the given time, or until the terminal with the
    // address awaitedIp (dotted) has reported. Terminals answer by broadcast
    // to port 9800, not to the sender, so the request leaves from a socket
    // bound to that port.
    static bool discover(const std::vector<quint32>& destinations, int waitMs, ReportTable& reports,
                         QString& error, const std::string& awaitedIp = std::string());
};
