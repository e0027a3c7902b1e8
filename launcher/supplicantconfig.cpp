#include "supplicantconfig.h"

#include "linefile.h"

#include <QPasswordDigestor>

namespace {

const QString indent(8, QLatin1Char(' '));

bool hasControlCharacter(const QString& text)
{
    for (const QChar c : text) {
        if (c.category() == QChar::Other_Control)
            return true;
    }
    return false;
}

// The quoted form takes the text as it is up to the closing quote; a quote,
// a backslash or a control character would end it early or be read as
// something else.
bool fitsBetweenQuotes(const QString& text)
{
    return !text.contains(QLatin1Char('"')) && !text.contains(QLatin1Char('\\'))
        && !hasControlCharacter(text);
}

QString quoted(const QString& text)
{
    return QLatin1Char('"') + text + QLatin1Char('"');
}

} // namespace

bool SupplicantConfig::canHold(const QString& passphrase)
{
    if (fitsBetweenQuotes(passphrase))
        return true;
    const qsizetype length = passphrase.toUtf8().size();
    return length >= 8 && length <= 63 && !hasControlCharacter(passphrase);
}

QStringList SupplicantConfig::lines(const QString& networkName, const QString& passphrase)
{
    const QByteArray ssid = networkName.toUtf8();
    const QString ssidValue =
        fitsBetweenQuotes(networkName) ? quoted(networkName) : QString::fromLatin1(ssid.toHex());
    // The key WPA derives from a passphrase: PBKDF2-HMAC-SHA1 over the
    // network name, 4096 rounds, 32 bytes.
    const QString pskValue = fitsBetweenQuotes(passphrase)
        ? quoted(passphrase)
        : QString::fromLatin1(QPasswordDigestor::deriveKeyPbkdf2(
                                  QCryptographicHash::Sha1, passphrase.toUtf8(), ssid, 4096, 32)
                                  .toHex());
    return {QStringLiteral("ctrl_interface=/var/run/wpa_supplicant"), QStringLiteral("network={"),
            indent + QStringLiteral("ssid=") + ssidValue,
            indent + QStringLiteral("psk=") + pskValue, QStringLiteral("}")};
}

bool SupplicantConfig::write(const QString& path, const QString& networkName,
                             const QString& passphrase)
{
    return LineFile::write(path, lines(networkName, passphrase));
}
