#pragma once

#include "terminalinfo.h"

#include <QByteArray>
#include <QString>

#include <json/value.h>

#include <map>
#include <string>
#include <vector>

// The terminal information reports heard during one discovery, one per
// terminal, and their printed forms.
class ReportTable
{
public:
    // At most this many terminals are kept: a peer that sends reports from
    // ever new addresses must not exhaust the console's memory.
    static constexpr std::size_t MaxTerminals = 4096;

    // Takes one datagram received from sender (host order); true when it was
    // a terminal report and kept. Other packets (the requests of this and
    // other consoles), malformed ones and reports of terminals beyond
    // MaxTerminals are dropped without a trace.
    bool addDatagram(const QByteArray& datagram, quint32 sender);
    bool empty() const { return m_reports.empty(); }

    // A header and one aligned line per terminal, sorted by address. The
    // password is left out: the table is for people looking on.
    QString table() const;
    // Each report as received, one compact JSON object per line, same order.
    QString jsonLines() const;
    // A report of the terminal with that address, its texts the bytes it sent;
    // null when none came.
    const Json::Value* find(const std::string& ip) const;
    // Every report, by address.
    std::vector<const Json::Value*> sorted() const;
    // Every report's members but the password, for the inventory.
    std::vector<TerminalInfo> terminals() const;

private:
    // By sending address: a terminal that answers twice (two consoles asked)
    // keeps one row, its newest report, and so does a peer that sends reports
    // with ever other contents.
    std::map<quint32, Json::Value> m_reports;
};
