#pragma once

#include <QByteArray>
#include <QString>

#include <json/value.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

// The terminal information reports heard during one discovery, one per
// terminal, and their printed forms.
class ReportTable
{
public:
    // Takes one received datagram; true when it was a terminal report. Other
    // packets (the requests of this and other consoles) and malformed ones
    // are dropped without a trace.
    bool addDatagram(const QByteArray& datagram);
    bool empty() const { return m_reports.empty(); }

    // A header and one aligned line per terminal, sorted by address. The
    // password is left out: the table is for people looking on.
    QString table() const;
    // Each report as received, one compact JSON object per line, same order.
    QString jsonLines() const;
    // A report of the terminal with that address, its texts the bytes it sent;
    // null when none came.
    const Json::Value* find(const std::string& ip) const;

private:
    std::vector<const Json::Value*> sorted() const;

    // By reported ip and mac: a terminal that answers twice (two consoles
    // asked) keeps one row, its newest report.
    std::map<std::pair<std::string, std::string>, Json::Value> m_reports;
};
