#include "sandboxtestmain.h"

#include "supplicantconfig.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

// Every file the connect dialog can write is read by wpa_supplicant itself:
// it must accept the file and take from it the network name's exact bytes
// and the key WPA derives from the name and passphrase (as wpa_passphrase
// derives it). The supplicant reads its configuration before it opens the
// interface, so an interface that does not exist makes the run parse-only:
// its debug output (-dd, keys shown with -K) holds what it parsed.
class TestSupplicantFiles : public QObject
{
    Q_OBJECT

    const QString path = QStringLiteral("/tmp/wifi/wpa_supplicant_connect.conf");

    static QString program(const QString& name)
    {
        const QString found = QStandardPaths::findExecutable(
            name,
            {QStringLiteral("/usr/sbin"), QStringLiteral("/sbin"), QStringLiteral("/usr/bin")});
        return found;
    }

    // The bytes of a hexdump_ascii block: "TITLE - hexdump_ascii(len=N):",
    // then lines of up to 16 hex bytes before their ASCII column.
    static QByteArray dumped(const QStringList& lines, const QString& title, bool* found)
    {
        const QRegularExpression head(QStringLiteral("^") + QRegularExpression::escape(title)
                                      + QStringLiteral(" - hexdump_ascii\\(len=(\\d+)\\):$"));
        for (qsizetype i = 0; i < lines.size(); ++i) {
            const QRegularExpressionMatch match = head.match(lines.at(i));
            if (!match.hasMatch())
                continue;
            *found = true;
            const int length = match.captured(1).toInt();
            QByteArray bytes;
            for (qsizetype j = i + 1; j < lines.size() && bytes.size() < length; ++j) {
                const QStringList tokens =
                    lines.at(j).mid(5, 16 * 3).split(QLatin1Char(' '), Qt::SkipEmptyParts);
                for (const QString& token : tokens) {
                    if (bytes.size() < length)
                        bytes += QByteArray::fromHex(token.toLatin1());
                }
            }
            return bytes;
        }
        *found = false;
        return {};
    }

    // The 32-byte key the supplicant holds for the network, written as a key
    // or derived by it from the passphrase.
    static QByteArray parsedKey(const QStringList& lines)
    {
        static const QRegularExpression key(
            QStringLiteral("^PSK(?: \\(from passphrase\\))? - hexdump\\(len=32\\): ([0-9a-f ]+)$"));
        for (const QString& line : lines) {
            const QRegularExpressionMatch match = key.match(line);
            if (match.hasMatch())
                return QByteArray::fromHex(match.captured(1).toLatin1());
        }
        return {};
    }

    // What wpa_passphrase derives; the passphrase goes on its standard input.
    static QByteArray expectedKey(const QString& name, const QString& passphrase)
    {
        static const QRegularExpression hexKey(QStringLiteral("^[0-9A-Fa-f]{64}$"));
        if (hexKey.match(passphrase).hasMatch())
            return QByteArray::fromHex(passphrase.toLatin1());
        QProcess process;
        process.start(program(QStringLiteral("wpa_passphrase")), {name});
        process.write(passphrase.toUtf8() + '\n');
        process.closeWriteChannel();
        if (!process.waitForFinished(10000) || process.exitCode() != 0)
            return {};
        static const QRegularExpression psk(QStringLiteral("^\\s*psk=([0-9a-f]{64})$"),
                                            QRegularExpression::MultilineOption);
        return QByteArray::fromHex(
            psk.match(QString::fromUtf8(process.readAllStandardOutput())).captured(1).toLatin1());
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(!program(QStringLiteral("wpa_supplicant")).isEmpty(),
                 "wpa_supplicant is missing (Debian package wpasupplicant)");
        QVERIFY(!program(QStringLiteral("wpa_passphrase")).isEmpty());
        QVERIFY(QDir().mkpath(QStringLiteral("/tmp/wifi")));
    }

    void acceptedAsWritten_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("passphrase");
        const QList<std::pair<const char*, QString>> names = {
            {"plain", QStringLiteral("Office")},
            {"spaces", QStringLiteral(" Guest  Net ")},
            {"quotes", QStringLiteral("Lab \"5G\"")},
            {"quoted", QStringLiteral("\"Office\"")},
            {"printf-form", QStringLiteral("P\"x\"")},
            {"backslashes", QStringLiteral("back\\slash\\")},
            {"utf8", QStringLiteral("会议室 Café ☕")},
            {"leading dash", QStringLiteral("-dash")},
            {"comment and braces", QStringLiteral("#1 } network={ # x")},
            {"hex digits", QStringLiteral("4f6666696365")},
            {"tab and line end", QStringLiteral("tab\there\nline")},
            {"control bytes", QStringLiteral("bell\x01\x1b[0m\x7f")},
            {"C1 control", QStringLiteral("next\u0085line")},
            {"32 bytes", QStringLiteral("0123456789abcdef0123456789ABCDEF")},
            {"32 UTF-8 bytes", QStringLiteral("会议室会议室会议室会 !")},
            {"one letter", QStringLiteral("x")},
        };
        const QList<std::pair<const char*, QString>> passphrases = {
            {"8", QStringLiteral("12345678")},
            {"63",
             QStringLiteral("abcdefghijklmnopqrstuvwxyz ABCDEFGHIJKLMNOPQRSTUVWXYZ 0123456!")},
            {"spaces", QStringLiteral(" pass  word ")},
            {"quotes", QStringLiteral("\"pa\"ss\"word\"")},
            {"backslash", QStringLiteral("pass\\word\\")},
            {"comment", QStringLiteral("pass#word\" # x")},
            {"utf8", QStringLiteral("pässwörd☕")},
            {"leading dash", QStringLiteral("-password")},
            {"hex key",
             QStringLiteral("b61965059e329fa16a001f3609a7d2d770efa72b1630a3647f0f1a43f1d01f2b")},
            {"HEX key",
             QStringLiteral("B61965059E329FA16A001F3609A7D2D770EFA72B1630A3647F0F1A43F1D01F2B")},
            {"63 hex digits",
             QStringLiteral("b61965059e329fa16a001f3609a7d2d770efa72b1630a3647f0f1a43f1d01f2")},
        };
        for (const auto& [nameTag, name] : names) {
            for (const auto& [passTag, passphrase] : passphrases)
                QTest::addRow("%s / %s", nameTag, passTag) << name << passphrase;
        }
    }

    void acceptedAsWritten()
    {
        QFETCH(QString, name);
        QFETCH(QString, passphrase);
        QCOMPARE(SupplicantConfig::check(passphrase), SupplicantConfig::Passphrase::Acceptable);
        QVERIFY(SupplicantConfig::write(path, name, passphrase));
        QVERIFY(SupplicantConfig::holds(path, name));

        QProcess supplicant;
        supplicant.setProcessChannelMode(QProcess::MergedChannels);
        supplicant.start(program(QStringLiteral("wpa_supplicant")),
                         {"-dd", "-K", "-D", "wired", "-i", "noradio0", "-c", path});
        QVERIFY(supplicant.waitForFinished(10000));
        const QString output = QString::fromUtf8(supplicant.readAll());
        const QStringList lines = output.split(QLatin1Char('\n'));
        QVERIFY2(!output.contains(QLatin1String("Failed to read or parse configuration"))
                     && !output.contains(QLatin1String("failed to parse")),
                 qPrintable(output.left(3000)));
        QVERIFY2(lines.contains(QStringLiteral("Priority group 0")), qPrintable(output.left(3000)));

        bool found = false;
        QCOMPARE(dumped(lines, QStringLiteral("ssid"), &found), name.toUtf8());
        QVERIFY(found);
        const QByteArray key = parsedKey(lines);
        QCOMPARE(key.size(), 32);
        QCOMPARE(key.toHex(), expectedKey(name, passphrase).toHex());
    }

    // Passphrases no form of the file can hold are refused before anything
    // is written.
    void refused_data()
    {
        QTest::addColumn<QString>("passphrase");
        QTest::addColumn<int>("verdict");
        QTest::newRow("7") << QStringLiteral("1234567")
                           << int(SupplicantConfig::Passphrase::BadLength);
        QTest::newRow("64 not hex")
            << QString(64, QLatin1Char('g')) << int(SupplicantConfig::Passphrase::BadLength);
        QTest::newRow("63 bytes of UTF-8 and more")
            << QString(32, QChar(0xe4)) << int(SupplicantConfig::Passphrase::BadLength);
        QTest::newRow("tab") << QStringLiteral("pass\tword")
                             << int(SupplicantConfig::Passphrase::BadCharacters);
        QTest::newRow("line end") << QStringLiteral("pass\nword")
                                  << int(SupplicantConfig::Passphrase::BadCharacters);
        QTest::newRow("DEL") << QStringLiteral("pass\x7fword")
                             << int(SupplicantConfig::Passphrase::BadCharacters);
    }

    void refused()
    {
        QFETCH(QString, passphrase);
        QFETCH(int, verdict);
        QCOMPARE(int(SupplicantConfig::check(passphrase)), verdict);
    }
};

SANDBOX_TEST_MAIN(TestSupplicantFiles)
#include "tst_supplicantfiles.moc"
