#include "addressvalidator.h"

#include <QRegularExpression>

namespace {

bool isDottedQuad(const QString& text)
{
    static const QRegularExpression pattern(QRegularExpression::anchoredPattern(
        QStringLiteral("\\b(?:(?:25[0-5]|2[0-4][0-9]|[01]?[0-9][0-9]?)\\.){3}"
                       "(?:25[0-5]|2[0-4][0-9]|[01]?[0-9][0-9]?)\\b")));
    return pattern.match(text).hasMatch();
}

} // namespace

bool AddressValidator::isIPaddress(const QString& text)
{
    return isDottedQuad(text);
}

bool AddressValidator::isNetMask(const QString& text)
{
    if (!isDottedQuad(text))
        return false;
    quint32 mask = 0;
    for (const QString& group : text.split(QLatin1Char('.')))
        mask = mask << 8 | group.toUInt();
    // The host part, inverted, is a run of low one bits: adding one carries
    // through all of it.
    const quint32 host = ~mask;
    return (host & (host + 1)) == 0;
}

bool AddressValidator::isDnsaddress(const QString& text)
{
    return isDottedQuad(text);
}
