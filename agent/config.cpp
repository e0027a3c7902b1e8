#include "config.h"

#include <QDate>
#include <QDebug>
#include <QFile>
#include <QLocale>

#include <cerrno>
#include <cstring>

namespace {
const char* const HostNameFile = "/etc/hostname_s";
}

Config* Config::getInstance()
{
    static Config instance;
    return &instance;
}

Config::Config()
    : m_interfaces(std::make_shared<const InterfaceTable>())
{
    qDebug() << "Config::Config";
    m_model = QStringLiteral("QB560") + "_" + "a20";
    m_version = QStringLiteral("1.12");
    readHostNameFile();
    m_compileDate = compileDateFrom(QStringLiteral(__DATE__));
    initNetworkInfo();
    qDebug() << "Config::model: \t\t" << m_model;
    qDebug() << "Config::version: \t" << m_version;
    qDebug() << "Config::hostName: \t" << m_hostName;
    qDebug() << "Config::id: \t\t" << m_id;
    qDebug() << "Config::compileDate: \t" << m_compileDate;
}

void Config::readHostNameFile()
{
    QFile file(QString::fromLatin1(HostNameFile));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        qWarning() << "Config:: open file " << HostNameFile << " failure, " << std::strerror(errno);
        return;
    }
    readHostName(file, &m_hostName, &m_id);
}

void Config::readHostName(QIODevice& file, QString* hostName, QString* id)
{
    int lineNumber = 0;
    while (!file.atEnd()) {
        const QString line = QString::fromLatin1(file.readLine()).trimmed();
        ++lineNumber;
        if (lineNumber == 1)
            *hostName = line;
        else if (lineNumber == 2)
            *id = line;
    }
}

QString Config::compileDateFrom(const QString& buildDate)
{
    QString text = buildDate;
    text.replace(QStringLiteral("  "), QStringLiteral(" 0"));
    const QDate date = QLocale(QLocale::English).toDate(text, QStringLiteral("MMM dd yyyy"));
    return date.toString(QStringLiteral("yyMMdd"));
}

void Config::initNetworkInfo()
{
    rebuildInterfaces();
}

std::shared_ptr<const Config::InterfaceTable> Config::rebuildInterfaces()
{
    qDebug() << "Config::initNetworkInfo";
    auto table = std::make_shared<InterfaceTable>();
    const auto all = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface& interface : all) {
        const auto flags = interface.flags();
        if (interface.isValid() && !flags.testFlag(QNetworkInterface::IsLoopBack)
            && flags.testFlag(QNetworkInterface::CanBroadcast)
            && flags.testFlag(QNetworkInterface::CanMulticast) && !interface.name().isEmpty())
            table->insert(interface.name(), interface);
    }
    std::shared_ptr<const InterfaceTable> built = std::move(table);
    {
        const std::lock_guard lock(m_interfacesMutex);
        m_interfaces = built;
    }
    qDebug() << "Config::initNetworkInfo : done-------------------------------";
    return built;
}

std::shared_ptr<const Config::InterfaceTable> Config::currentInterfaces()
{
    {
        const std::lock_guard lock(m_interfacesMutex);
        if (!m_interfaces->isEmpty())
            return m_interfaces;
    }
    return rebuildInterfaces();
}

// The first IPv4 entry of the first interface, by name, that has one. An
// interface holding only an IPv6 link-local address (a wired link still
// waiting for its lease) must not hide the address of the next one. A link
// that is down keeps its address (the wire after switching to Wi-Fi), so
// interfaces up and running come first and the others only when none is.
std::optional<QNetworkAddressEntry> Config::ownEntry(const InterfaceTable& table)
{
    for (const bool runningOnly : {true, false}) {
        for (const QNetworkInterface& interface : table) {
            const auto flags = interface.flags();
            const bool running =
                flags.testFlag(QNetworkInterface::IsUp) && flags.testFlag(QNetworkInterface::IsRunning);
            if (runningOnly && !running)
                continue;
            const QList<QNetworkAddressEntry> entries = interface.addressEntries();
            for (const QNetworkAddressEntry& entry : entries) {
                if (entry.ip().protocol() == QAbstractSocket::IPv4Protocol)
                    return entry;
            }
        }
    }
    return std::nullopt;
}

QHostAddress Config::getAddress()
{
    const auto table = rebuildInterfaces();
    const auto entry = ownEntry(*table);
    const QHostAddress address = entry ? entry->ip() : QHostAddress();
    qDebug() << "Config::getAddress: " << address;
    return address;
}

quint32 Config::getBroadcast()
{
    // The report goes where the terminal is now: an address that appeared or
    // changed since the last look-up must not leave it addressed to 0.0.0.0
    // or to a network the terminal has left.
    const auto table = rebuildInterfaces();
    const auto entry = ownEntry(*table);
    if (!entry)
        return 0;
    bool ok = false;
    const quint32 broadcast = entry->broadcast().toIPv4Address(&ok);
    return ok ? broadcast : 0;
}

QString Config::getHardAdress()
{
    const auto table = currentInterfaces();
    const auto found = table->constFind(QStringLiteral("eth0"));
    return found == table->constEnd() ? QString() : found->hardwareAddress();
}
