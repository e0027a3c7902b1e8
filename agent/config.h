#pragma once

#include "sharekeys.h"

#include <QHostAddress>
#include <QMap>
#include <QNetworkInterface>
#include <QIODevice>
#include <QObject>
#include <QString>

#include <memory>
#include <optional>
#include <mutex>

// The agent's fixed settings, the terminal's identity and its network identity.
class Config : public QObject
{
    Q_OBJECT

public:
    using InterfaceTable = QMap<QString, QNetworkInterface>;

    static Config* getInstance();

    quint16 udpPort() const { return m_udpPort; }
    quint16 tcpPort() const { return m_tcpPort; }
    QString model() const { return m_model; }
    QString version() const { return m_version; }
    QString hostName() const { return m_hostName; }
    QString id() const { return m_id; }
    QString compileDate() const { return m_compileDate; }

    // The terminal's own IPv4 address, of an interface up and running when
    // there is one; rebuilds the interface table first.
    QHostAddress getAddress();
    // The IPv4 broadcast address in host order that goes with getAddress(),
    // 0 when there is none; rebuilds the interface table first.
    quint32 getBroadcast();
    // The hardware address of "eth0", empty when there is no such interface.
    QString getHardAdress();

    // "Apr 24 2018" (the compiler's build date form) to "180424".
    static QString compileDateFrom(const QString& buildDate);
    // The host name file: line 1 the host name, line 2 the id, both trimmed.
    static void readHostName(QIODevice& file, QString* hostName, QString* id);

public slots:
    void initNetworkInfo();

signals:
    void networkOnlineChange(bool state);

private:
    Config();

    void readHostNameFile();
    // Rebuilds the table and returns the new one.
    std::shared_ptr<const InterfaceTable> rebuildInterfaces();
    // The current table, built first when it is empty.
    std::shared_ptr<const InterfaceTable> currentInterfaces();
    static std::optional<QNetworkAddressEntry> ownEntry(const InterfaceTable& table);

    quint16 m_udpPort = ShareKeys::UdpPort;
    quint16 m_tcpPort = ShareKeys::TcpPort;
    QString m_model;
    QString m_version;
    QString m_hostName;
    QString m_id;
    QString m_compileDate;

    // Pool threads rebuild the table while the main thread looks it up: a
    // new table is built aside and swapped in, readers keep their snapshot.
    std::mutex m_interfacesMutex;
    std::shared_ptr<const InterfaceTable> m_interfaces;
};
