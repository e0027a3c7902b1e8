#include "reporttable.h"

#include "addresscodec.h"
#include "jsontext.h"
#include "sharekeys.h"
#include "shareprotocol.h"
#include "texttable.h"

#include <QStringDecoder>

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

// A member's text; anything but a string reads as empty.
std::string member(const Json::Value& object, const char* name)
{
    const Json::Value& value = object[name];
    return value.isString() ? value.asString() : std::string();
}

// Report texts are the bytes the terminal keeps: UTF-8 on newer devices,
// Latin-1 on older ones, which is what bytes that are not UTF-8 are taken for.
QString decoded(const std::string& bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8,
                        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    const QByteArrayView view(bytes.data(), qsizetype(bytes.size()));
    const QString text = utf8(view);
    return utf8.hasError() ? QString::fromLatin1(view) : text;
}

} // namespace

QString ReportTable::printable(const std::string& bytes)
{
    QString text = decoded(bytes);
    for (QChar& c : text) {
        const char16_t code = c.unicode();
        if (code < 0x20 || (code >= 0x7f && code < 0xa0))
            c = QLatin1Char('?');
    }
    return text;
}

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
        const auto address = AddressCodec::parse(member(report, "ip"));
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
    const std::vector<const Json::Value*> reports = sorted();
    std::vector<QStringList> lines(1);
    for (const Column& column : Columns)
        lines[0] << QLatin1String(column.header);
    for (const Json::Value* report : reports) {
        QStringList cells;
        for (const Column& column : Columns)
            cells << printable(member(*report, column.member));
        lines.push_back(cells);
    }
    return TextTable::format(lines);
}

QString ReportTable::jsonLines() const
{
    QString text;
    for (const Json::Value* report : sorted()) {
        // Texts decoded one by one, as in the table: a line mixing UTF-8 and
        // Latin-1 members still prints as UTF-8 throughout.
        Json::Value shown = *report;
        for (const std::string& name : shown.getMemberNames()) {
            if (shown[name].isString())
                shown[name] = decoded(shown[name].asString()).toUtf8().toStdString();
        }
        // The writer escapes C0 controls only; DEL and C1 controls would act
        // on a terminal just as well.
        for (const QChar c : QString::fromStdString(JsonText::write(shown))) {
            if (c.unicode() >= 0x7f && c.unicode() < 0xa0)
                text += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
            else
                text += c;
        }
    }
    return text;
}

const Json::Value* ReportTable::find(const std::string& ip) const
{
    for (const auto& entry : m_reports) {
        if (member(entry.second, "ip") == ip)
            return &entry.second;
    }
    return nullptr;
}
