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
    return isDottedQuad(text);
}

bool AddressValidator::isDnsaddress(const QString& text)
{
    return isDottedQuad(text);
}
