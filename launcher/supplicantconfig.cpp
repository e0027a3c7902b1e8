#include "supplicantconfig.h"

#include "linefile.h"

#include <QMessageAuthenticationCode>

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

// The key WPA derives from a passphrase: PBKDF2-HMAC-SHA1 over the network
// name, 4096 rounds, 32 bytes (two blocks of the 20-byte hash). Written out
// here so that the launcher needs no more than Qt's core for it.
QByteArray wpaKey(const QByteArray& passphrase, const QByteArray& ssid)
{
    QMessageAuthenticationCode mac(QCryptographicHash::Sha1, passphrase);
    QByteArray key;
    for (char block = 1; key.size() < 32; ++block) {
        mac.reset();
        mac.addData(ssid + QByteArray("\0\0\0", 3) + block);
        QByteArray u = mac.result();
        QByteArray t = u;
        for (int round = 1; round < 4096; ++round) {
            mac.reset();
            mac.addData(u);
            u = mac.result();
            for (qsizetype i = 0; i < t.size(); ++i)
                t[i] = char(t.at(i) ^ u.at(i));
        }
        key += t;
    }
    return key.left(32);
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
    const QString pskValue = fitsBetweenQuotes(passphrase)
        ? quoted(passphrase)
        : QString::fromLatin1(wpaKey(passphrase.toUtf8(), ssid).toHex());
    return {QStringLiteral("ctrl_interface=/var/run/wpa_supplicant"), QStringLiteral("network={"),
            indent + QStringLiteral("ssid=") + ssidValue,
            indent + QStringLiteral("psk=") + pskValue, QStringLiteral("}")};
}

bool SupplicantConfig::write(const QString& path, const QString& networkName,
                             const QString& passphrase)
{
    return LineFile::write(path, lines(networkName, passphrase));
}
