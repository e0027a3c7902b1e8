#include "supplicantconfig.h"

#include "linefile.h"

#include <QFile>
#include <QMessageAuthenticationCode>
#include <QRegularExpression>

#include <algorithm>

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

bool isKey(const QString& passphrase)
{
    static const QRegularExpression hexKey(QStringLiteral("^[0-9A-Fa-f]{64}$"));
    return hexKey.match(passphrase).hasMatch();
}

QString ssidLine(const QString& networkName)
{
    const QString value = fitsBetweenQuotes(networkName)
        ? quoted(networkName)
        : QString::fromLatin1(networkName.toUtf8().toHex());
    return indent + QStringLiteral("ssid=") + value;
}

} // namespace

SupplicantConfig::Passphrase SupplicantConfig::check(const QString& passphrase)
{
    const qsizetype length = passphrase.toUtf8().size();
    if ((length < 8 || length > 63) && !isKey(passphrase))
        return Passphrase::BadLength;
    return hasControlCharacter(passphrase) ? Passphrase::BadCharacters : Passphrase::Acceptable;
}

QStringList SupplicantConfig::lines(const QString& networkName, const QString& passphrase)
{
    QString pskValue = passphrase;
    if (!isKey(passphrase)) {
        pskValue = fitsBetweenQuotes(passphrase)
            ? quoted(passphrase)
            : QString::fromLatin1(wpaKey(passphrase.toUtf8(), networkName.toUtf8()).toHex());
    }
    return {QStringLiteral("ctrl_interface=/var/run/wpa_supplicant"), QStringLiteral("network={"),
            ssidLine(networkName), indent + QStringLiteral("psk=") + pskValue, QStringLiteral("}")};
}

bool SupplicantConfig::write(const QString& path, const QString& networkName,
                             const QString& passphrase)
{
    return LineFile::write(path, lines(networkName, passphrase));
}

bool SupplicantConfig::holds(const QString& path, const QString& networkName)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return false;
    const QString wanted = ssidLine(networkName).trimmed();
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    return std::any_of(lines.cbegin(), lines.cend(),
                       [&wanted](const QString& line) { return line.trimmed() == wanted; });
}
