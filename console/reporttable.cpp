#include "reporttable.h"

#include "addresscodec.h"
#include "jsontext.h"
#include "reporttext.h"
#include "sharekeys.h"
#include "shareprotocol.h"

#include <algorithm>
#include <limits>

namespace {

struct Column
{
    const char* header;
    const char* member;
};

constexpr Column Columns[] = {
    {"ID", "id"},
    {"HOST", "hostName"},
    {"MODEL", "model"},
    {"VERSION", "version"},
    {"IP", "ip"},
    {"MAC", "mac"},
    {"RDP SERVER", "RDP_IP"},
    {"RDP PORT", "RDP_PORT"},
    {"RDP USER", "RDP_USER"},
};

} // namespace

bool ReportTable::addDatagram(const QByteArray& datagram, quint32 sender)
{
    if (!PreData::isShareProtocol(datagram.constData(), unsigned(datagram.size())))
        return false;
    const char* end = datagram.constData() + datagram.size();
    const char* brace = std::find(datagram.constData() + 2, end, '{');
    Json::Value packet;
    if (brace == end || !JsonText::parse(brace, end, packet) || !packet.isObject())
        return false;
    const Json::Value& key = packet["key"];
    const Json::Value& content = packet["content"];
    if (!key.isString() || key.asString() != ShareKeys::TerminalMsg || !content.isString())
        return false;
    Json::Value report;
    if (!JsonText::parse(content.asString(), report) || !report.isObject())
        return false;
    const auto known = m_reports.find(sender);
    if (known != m_reports.end())
        known->second = std::move(report);
    else if (m_reports.size() < MaxTerminals)
        m_reports.emplace(sender, std::move(report));
    else
        return false;
    return true;
}

std::vector<const Json::Value*> ReportTable::sorted() const
{
    // By reported address, valid ones by value ahead of reports without one.
    std::vector<std::pair<quint64, const Json::Value*>> ordered;
    for (const auto& [sender, report] : m_reports) {
        const auto address = AddressCodec::parse(ReportText::member(report, "ip"));
        ordered.emplace_back(address ? *address : std::numeric_limits<quint64>::max(), &report);
    }
    std::stable_sort(ordered.begin(), ordered.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<const Json::Value*> reports;
    for (const auto& entry : ordered)
        reports.push_back(entry.second);
    return reports;
}

QString ReportTable::table() const
{
    std::vector<QStringList> rows(1);
    for (const Column& column : Columns)
        rows[0] << QLatin1String(column.header);
    for (const Json::Value* report : sorted()) {
        QStringList cells;
        for (const Column& column : Columns)
            cells << ReportText::printable(ReportText::member(*report, column.member));
        rows.push_back(cells);
    }
    return ReportText::aligned(rows);
}

QString ReportTable::jsonLines() const
{
    QString text;
    for (const Json::Value* report : sorted())
        text += ReportText::jsonLine(*report);
    return text;
}

std::vector<TerminalInfo> ReportTable::terminals() const
{
    std::vector<TerminalInfo> terminals;
    for (const auto& entry : m_reports) {
        const Json::Value& report = entry.second;
        TerminalInfo info;
        const std::pair<std::string*, const char*> members[] = {
            {&info.id, "id"},       {&info.hostName, "hostName"}, {&info.model, "model"},
            {&info.version, "version"}, {&info.ip, "ip"},         {&info.mac, "mac"},
            {&info.rdpIp, "RDP_IP"}, {&info.rdpPort, "RDP_PORT"}, {&info.rdpUser, "RDP_USER"},
            {&info.status, "status"}};
        for (const auto& [field, name] : members)
            *field = ReportText::member(report, name);
        terminals.push_back(std::move(info));
    }
    return terminals;
}

const Json::Value* ReportTable::find(const std::string& ip) const
{
    for (const auto& entry : m_reports) {
        if (ReportText::member(entry.second, "ip") == ip)
            return &entry.second;
    }
    return nullptr;
}
