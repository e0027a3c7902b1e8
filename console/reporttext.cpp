#include "reporttext.h"

#include "jsontext.h"

#include <QStringDecoder>

#include <algorithm>

QString ReportText::decoded(const std::string& bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8,
                        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    const QByteArrayView view(bytes.data(), qsizetype(bytes.size()));
    const QString text = utf8(view);
    return utf8.hasError() ? QString::fromLatin1(view) : text;
}

QString ReportText::printable(const std::string& bytes)
{
    QString text = decoded(bytes);
    for (QChar& c : text) {
        const char16_t code = c.unicode();
        if (code < 0x20 || (code >= 0x7f && code < 0xa0))
            c = QLatin1Char('?');
    }
    return text;
}

QString ReportText::aligned(const std::vector<QStringList>& rows)
{
    std::vector<qsizetype> widths;
    for (const QStringList& cells : rows) {
        widths.resize(std::max(widths.size(), size_t(cells.size())), 0);
        for (qsizetype i = 0; i < cells.size(); ++i)
            widths[size_t(i)] = std::max(widths[size_t(i)], cells[i].size());
    }
    QString text;
    for (const QStringList& cells : rows) {
        QString line;
        for (qsizetype i = 0; i < cells.size(); ++i) {
            if (i > 0)
                line += QLatin1String("  ");
            line += cells[i].leftJustified(widths[size_t(i)]);
        }
        while (line.endsWith(QLatin1Char(' ')))
            line.chop(1);
        text += line + QLatin1Char('\n');
    }
    return text;
}

QString ReportText::jsonLine(const Json::Value& object)
{
    // A line mixing UTF-8 and Latin-1 members still prints as UTF-8 throughout.
    Json::Value shown = object;
    for (const std::string& name : shown.getMemberNames()) {
        if (shown[name].isString())
            shown[name] = decoded(shown[name].asString()).toUtf8().toStdString();
    }
    QString text;
    for (const QChar c : QString::fromStdString(JsonText::write(shown))) {
        if (c.unicode() >= 0x7f && c.unicode() < 0xa0)
            text += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
        else
            text += c;
    }
    return text;
}

std::string ReportText::member(const Json::Value& object, const char* name)
{
    const Json::Value& value = object[name];
    return value.isString() ? value.asString() : std::string();
}
