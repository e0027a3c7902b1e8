#pragma once

#include "inventory.h"
#include "reporttable.h"

#include <QDateTime>
#include <QJsonArray>
#include <QObject>
#include <QTimer>
#include <QUdpSocket>

#include <map>

// The dashboard's view of the fleet: it asks the terminals to report every
// few seconds and keeps each one's newest report with the time it was heard,
// for as long as the console runs. What it hears goes to the inventory once a
// round; the inventory's terminals not heard in this run show as offline.
class FleetWatch : public QObject
{
    Q_OBJECT
public:
    static constexpr int RoundMs = 5000;
    // Online: heard within the last rounds, one lost datagram forgiven.
    static constexpr int OnlineMs = 2 * RoundMs + 1000;

    explicit FleetWatch(quint32 destination, QObject* parent = nullptr);

    // Listens for reports and asks for the first ones.
    bool start(QString& error);
    const Json::Value* report(const std::string& ip) const;
    // One object per terminal, by address: what a card shows.
    QJsonArray terminals(const QDateTime& now) const;

private:
    void receive();
    void round();

    quint32 m_destination;
    QUdpSocket m_socket;
    QTimer m_timer;
    ReportTable m_reports;
    ReportTable m_unrecorded; // heard since the last round
    std::map<std::string, QDateTime> m_heard;
    std::vector<Inventory::Terminal> m_known;
};
