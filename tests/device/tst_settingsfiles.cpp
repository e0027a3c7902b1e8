#include "addressingfile.h"
#include "addressvalidator.h"
#include "displayconfig.h"
#include "hotspotinfo.h"
#include "networkselection.h"
#include "passwordrules.h"
#include "peripheralconfig.h"
#include "sandboxtestmain.h"
#include "supplicantconfig.h"
#include "wifiscanlisting.h"
#include "wifistatus.h"

#include <QDir>
#include <QFile>
#include <QTest>

namespace {
const QString configs = QStringLiteral("/opt/zoderer/configs/");
const QString wifiDir = configs + "network/wificonfigs/";
const QString hotspotDir = wifiDir + "hotspotinfo/";
} // namespace

// The file formats and rules behind the settings pages, without widgets.
class TestSettingsFiles : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QDir(configs).removeRecursively();
        QDir().mkpath(hotspotDir);
    }

    void addressValidation_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<bool>("mask"); // valid as a netmask too
        QTest::newRow("plain") << "192.168.1.20" << true << false;
        QTest::newRow("zeros") << "0.0.0.0" << true << true;
        QTest::newRow("top") << "255.255.255.255" << true << true;
        QTest::newRow("mask /23, leading zeros") << "255.255.254.000" << true << true;
        QTest::newRow("leading zeros") << "010.00.1.001" << true << false;
        QTest::newRow("non-contiguous mask") << "255.0.255.0" << true << false;
        QTest::newRow("mask, low bit set") << "255.255.255.1" << true << false;
        QTest::newRow("inverted mask") << "0.0.0.255" << true << false;
        QTest::newRow("group 300") << "192.168.1.300" << false << false;
        QTest::newRow("group 256") << "256.1.1.1" << false << false;
        QTest::newRow("four digits") << "1.1.1.0001" << false << false;
        QTest::newRow("three groups") << "10.0.1" << false << false;
        QTest::newRow("five groups") << "10.0.0.1.2" << false << false;
        QTest::newRow("leading space") << " 10.0.0.1" << false << false;
        QTest::newRow("trailing space") << "10.0.0.1 " << false << false;
        QTest::newRow("trailing dot") << "10.0.0.1." << false << false;
        QTest::newRow("line end") << "10.0.0.1\n" << false << false;
        QTest::newRow("empty") << "" << false << false;
        QTest::newRow("name") << "server" << false << false;
        QTest::newRow("wide digits") << QString::fromUtf8("１.1.1.1") << false << false;
    }

    void addressValidation()
    {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QFETCH(bool, mask);
        QCOMPARE(AddressValidator::isIPaddress(text), valid);
        QCOMPARE(AddressValidator::isNetMask(text), mask);
        QCOMPARE(AddressValidator::isDnsaddress(text), valid);
    }

    void addressingChecksInOrder_data()
    {
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<int>("textId");
        QTest::newRow("valid, no DNS")
            << QStringList{"10.0.0.5", "255.255.255.0", "10.0.0.1", "", ""} << 0;
        QTest::newRow("valid, both DNS")
            << QStringList{"10.0.0.5", "255.255.0.0", "10.0.0.1", "8.8.8.8", "1.1.1.1"} << 0;
        QTest::newRow("bad address first")
            << QStringList{"192.168.1.300", "x", "x", "x", "x"} << 69;
        QTest::newRow("bad mask") << QStringList{"10.0.0.5", "255.255.256.0", "", "", ""} << 70;
        QTest::newRow("non-contiguous mask")
            << QStringList{"10.0.0.5", "255.0.255.0", "10.0.0.1", "", ""} << 70;
        QTest::newRow("gateway required") << QStringList{"10.0.0.5", "255.0.0.0", "", "", ""} << 71;
        QTest::newRow("bad DNS 1")
            << QStringList{"10.0.0.5", "255.0.0.0", "10.0.0.1", "8.8.8", "x"} << 72;
        QTest::newRow("DNS 1 empty, DNS 2 bad")
            << QStringList{"10.0.0.5", "255.0.0.0", "10.0.0.1", "", "1.1.1.999"} << 73;
    }

    void addressingChecksInOrder()
    {
        QFETCH(QStringList, fields);
        QFETCH(int, textId);
        AddressingFile file;
        file.isStatic = true;
        file.address = fields.at(0);
        file.netmask = fields.at(1);
        file.gateway = fields.at(2);
        file.dns1 = fields.at(3);
        file.dns2 = fields.at(4);
        QCOMPARE(file.invalidFieldTextId(), textId);
    }

    void addressingFileLayout()
    {
        const QString path = configs + "network/netconfig";
        QVERIFY(AddressingFile::automatic().write(path));
        QCOMPARE(Sandbox::readFile(path), QByteArray("auto\n \n \n \n \n \n"));

        AddressingFile file;
        file.isStatic = true;
        file.address = "10.0.0.5";
        file.netmask = "255.255.255.0";
        file.gateway = "10.0.0.1";
        QVERIFY(file.write(path));
        QCOMPARE(Sandbox::readFile(path),
                 QByteArray("static\n10.0.0.5\n255.255.255.0\n10.0.0.1\n\n\n"));
        const AddressingFile back = AddressingFile::read(path);
        QVERIFY(back.isStatic);
        QCOMPARE(back.lines(), file.lines());
    }

    void addressingModeIsStaticWhenLineOneHoldsIt()
    {
        const QString path = configs + "network/netconfig";
        QVERIFY(
            Sandbox::writeFile(path, "mode=static-v4\n1.2.3.4\n255.0.0.0\n1.2.3.1\n\n9.9.9.9\n"));
        AddressingFile file = AddressingFile::read(path);
        QVERIFY(file.isStatic);
        QCOMPARE(file.address, QString("1.2.3.4"));
        QCOMPARE(file.dns2, QString("9.9.9.9"));
        QVERIFY(Sandbox::writeFile(path, "Static\n1.2.3.4\n"));
        QVERIFY(!AddressingFile::read(path).isStatic);
        QFile::remove(path);
        file = AddressingFile::read(path);
        QVERIFY(!file.isStatic);
        QVERIFY(file.address.isEmpty());
    }

    void scanListing()
    {
        const QByteArray listing =
            "bssid / frequency / signal level / flags / ssid\n"
            "00:11:22:33:44:55\t2412\t-40\t[WPA2-PSK-CCMP][ESS]\tOffice Net\n"
            "00:11:22:33:44:56\t2437\t-70\t[WPA2-PSK-CCMP][ESS]\n"
            "00:11:22:33:44:57\t2462\t-55\t[ESS]\t  Cafe  \n"
            "  lonely line without brackets  \n"
            "00:11:22:33:44:58\t5180\t-60\t[WPA2-PSK-CCMP][ESS]\tOffice Net\n"
            "00:11:22:33:44:59\t2412\t-40\t[WPA2-PSK-CCMP][ESS]\tX]Office\n"
            "00:11:22:33:44:5a\t2412\t-40\t[ESS]\t[Guest] lobby]\n"
            "[ESS] a]b\n"
            "\n";
        QCOMPARE(WifiScanListing::networkNames(listing),
                 QStringList({"Office Net", "Cafe", "lonely line without brackets", "Office Net",
                              "X]Office", "[Guest] lobby]", "a]b"}));
        QVERIFY(WifiScanListing::networkNames("bssid / frequency / signal level / flags / ssid\n")
                    .isEmpty());
        QVERIFY(WifiScanListing::networkNames("").isEmpty());
        // The heading is skipped even when it looks like an access point.
        QCOMPARE(WifiScanListing::networkNames("[ESS] first\n[ESS] second"),
                 QStringList({"second"}));
    }

    void statusReport()
    {
        WifiStatus status = WifiStatus::parse("bssid=00:11:22:33:44:55\nfreq=2412\n");
        QVERIFY(!status.associated);

        status = WifiStatus::parse(
            "Selected interface 'wlan0'\nbssid=00:11:22:33:44:55\nssid=Office Net\n"
            "id=0\nwpa_state=COMPLETED\nip_address=192.168.8.23\n");
        QVERIFY(status.associated);
        QCOMPARE(status.ssid, QString("Office Net"));
        QVERIFY(status.hasAddress);
        QCOMPARE(status.address, QString("192.168.8.23"));

        // Associated, but the address line is not the last one.
        status = WifiStatus::parse("x\nbssid=00:11:22:33:44:55\nssid=Cafe\nip_address=10.1.1.1\n"
                                   "wpa_state=COMPLETED\n");
        QVERIFY(status.associated);
        QCOMPARE(status.ssid, QString("Cafe"));
        QVERIFY(!status.hasAddress);
        QCOMPARE(status.lastLine, QString("wpa_state=COMPLETED"));

        QVERIFY(!WifiStatus::parse("").associated);
        QVERIFY(!WifiStatus::read(wifiDir + "check_wifi_status.txt", &status));
    }

    void hotspotNamesStayInsideTheirDirectory_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("literal");
        QTest::newRow("plain") << "Office Net" << true;
        QTest::newRow("quote and backslash") << "a\"b\\c" << true;
        QTest::newRow("percent") << "100% wifi" << true;
        QTest::newRow("chinese") << QString::fromUtf8("办公室") << true;
        QTest::newRow("slash") << "a/b" << false;
        QTest::newRow("parent escape") << "../../../login/x" << false;
        QTest::newRow("dot") << "." << false;
        QTest::newRow("dot dot") << ".." << false;
        QTest::newRow("encoding prefix") << "%ssid%2e" << false;
    }

    void hotspotNamesStayInsideTheirDirectory()
    {
        QFETCH(QString, name);
        QFETCH(bool, literal);
        const QString fileName = HotspotInfo::fileName(name);
        QCOMPARE(fileName == name, literal);
        QVERIFY(!fileName.contains('/'));
        QVERIFY(fileName != "." && fileName != "..");
        QVERIFY(HotspotInfo::writePassphrase(name, "secret 1"));
        QCOMPARE(QDir(hotspotDir).entryList(QDir::Files), QStringList({fileName}));
        QString passphrase;
        QVERIFY(HotspotInfo::readPassphrase(name, &passphrase));
        QCOMPARE(passphrase, QString("secret 1"));
        HotspotInfo::forget(name);
        QVERIFY(QDir(hotspotDir).entryList(QDir::Files).isEmpty());
    }

    void hotspotEncodingKeepsNamesApart()
    {
        // "." and the name spelt like its encoded form must not share a file.
        const QString dot = HotspotInfo::fileName(".");
        QVERIFY(HotspotInfo::fileName(dot) != dot);
        QVERIFY(HotspotInfo::fileName("a/b") != HotspotInfo::fileName("a_b"));
        QVERIFY(HotspotInfo::fileName("..") != dot);
    }

    void supplicantQuotedForm()
    {
        QCOMPARE(SupplicantConfig::lines("Office Net", "pass word!"),
                 QStringList({"ctrl_interface=/var/run/wpa_supplicant", "network={",
                              "        ssid=\"Office Net\"", "        psk=\"pass word!\"", "}"}));
        QCOMPARE(SupplicantConfig::lines("Cafe", "").at(3), QString("        psk=\"\""));
        const QString path = wifiDir + "wpa_supplicant.conf";
        QVERIFY(SupplicantConfig::write(path, "Cafe", "12345678"));
        QCOMPARE(Sandbox::readFile(path),
                 QByteArray("ctrl_interface=/var/run/wpa_supplicant\nnetwork={\n"
                            "        ssid=\"Cafe\"\n        psk=\"12345678\"\n}\n"));
    }

    void supplicantEncodesWhatQuotesCannotHold()
    {
        // The name in hexadecimal: nothing of it can end the line or the block.
        QStringList lines = SupplicantConfig::lines("evil\"\n}\nnetwork={", "12345678");
        QCOMPARE(lines.size(), 5);
        QCOMPARE(lines.at(2),
                 "        ssid=" + QString::fromLatin1(QByteArray("evil\"\n}\nnetwork={").toHex()));
        QCOMPARE(SupplicantConfig::lines("a\\b", "12345678").at(2), QString("        ssid=615c62"));

        // A passphrase with a quote goes as the key derived from it, unquoted.
        QCOMPARE(SupplicantConfig::check("pass\"word"), SupplicantConfig::Passphrase::Acceptable);
        lines = SupplicantConfig::lines("IEEE", "pass\"word");
        QVERIFY(lines.at(3).startsWith("        psk="));
        QCOMPARE(lines.at(3).size(), 12 + 64);
        QVERIFY(!lines.at(3).contains('"'));
        QCOMPARE(SupplicantConfig::lines("IEEE", "password").at(3),
                 QString("        psk=\"password\""));
    }

    void supplicantDerivedKeyMatchesWpa()
    {
        // Keys worked out with an independent PBKDF2-HMAC-SHA1 (4096 rounds,
        // 32 bytes, salted with the network name), the derivation WPA uses.
        const QList<std::pair<const char*, const char*>> known = {
            {"pass\"word", "6a5672512ae3313835c20887f1c5b1d7a7fa8c32f1fd5f87f2555294c5ec6caf"},
            {"back\\slash", "bc570989bfef0d65fe5c24590a53bff0bd138b7b8debccc02fd94c751a7c6a08"},
            {"\"quoted\"", "303e66450b912e854b993063e9bfc9a4f8adf122aa1c8e7b9c4ed36537536264"},
        };
        for (const auto& [passphrase, key] : known)
            QCOMPARE(SupplicantConfig::lines("Office Net", passphrase).at(3), "        psk=" + QString::fromLatin1(key));
    }

    void supplicantPassphraseCheck_data()
    {
        using P = SupplicantConfig::Passphrase;
        QTest::addColumn<QString>("passphrase");
        QTest::addColumn<P>("verdict");
        QTest::newRow("eight") << "12345678" << P::Acceptable;
        QTest::newRow("sixty-three") << QString(63, 'x') << P::Acceptable;
        QTest::newRow("quote, as a key") << "pass\"word" << P::Acceptable;
        QTest::newRow("64-digit key") << QString(64, 'a') << P::Acceptable;
        QTest::newRow("empty") << "" << P::BadLength;
        QTest::newRow("seven") << "1234567" << P::BadLength;
        QTest::newRow("short with quote") << "short\"" << P::BadLength;
        QTest::newRow("sixty-four, not hex") << QString(64, 'x') << P::BadLength;
        QTest::newRow("63 bytes in 21 characters") << QString(21, QChar(0x529e)) << P::Acceptable;
        QTest::newRow("66 bytes in 22 characters") << QString(22, QChar(0x529e)) << P::BadLength;
        QTest::newRow("line end") << "line\nend of passphrase" << P::BadCharacters;
        QTest::newRow("tab") << "tab\tinside passphrase" << P::BadCharacters;
    }

    void supplicantPassphraseCheck()
    {
        QFETCH(QString, passphrase);
        QFETCH(SupplicantConfig::Passphrase, verdict);
        QCOMPARE(SupplicantConfig::check(passphrase), verdict);
    }

    void supplicantWritesAKeyUnquoted()
    {
        const QString key = QString(32, 'a') + QString(32, 'F');
        QCOMPARE(SupplicantConfig::lines("Cafe", key).at(3), "        psk=" + key);
    }

    void displayModes()
    {
        QCOMPARE(DisplayConfig::modes().size(), 8);
        QCOMPARE(DisplayConfig::modeIndexFor("1920x1080-60"), 7);
        QCOMPARE(DisplayConfig::modeIndexFor("mode 800x600-60 at boot"), 0);
        QCOMPARE(DisplayConfig::modeIndexFor(""), 2);
        QCOMPARE(DisplayConfig::modeIndexFor("1920x1080"), 2);
        QCOMPARE(DisplayConfig::depths(false), QStringList({"16", "32"}));
        QCOMPARE(DisplayConfig::depthFor("32", false), QString("32"));
        // A depth not offered is kept, not rewritten as 16.
        QCOMPARE(DisplayConfig::depthFor("24", false), QString("24"));
        QCOMPARE(DisplayConfig::depthFor("1632", false), QString("16"));
        QCOMPARE(DisplayConfig::depthFor("", false), QString("16"));
    }

    void peripheralVolumeScaling()
    {
        QCOMPARE(PeripheralConfig::volumeFromSlider(99), 62);
        QCOMPARE(PeripheralConfig::volumeFromSlider(80), 50);
        // Every volume comes back from the slider position that shows it.
        for (int volume = 0; volume <= 63; ++volume) {
            const int position = PeripheralConfig::sliderFromVolume(volume);
            QVERIFY(position >= 0 && position <= 100);
            QCOMPARE(PeripheralConfig::volumeFromSlider(position), volume);
        }
    }

    void peripheralFile()
    {
        QVERIFY(Sandbox::writeFile(configs + "peripheral/peripheralconfig",
                                   "40\nunmuted\n\n1\n7\nHDMI-1\n"));
        PeripheralConfig config = PeripheralConfig::read();
        QCOMPARE(config.volume, 40);
        QVERIFY(config.mute); // the word anywhere counts
        QVERIFY(!config.usbDisk);
        QCOMPARE(config.language, 1);
        QCOMPARE(config.keyboard, 7);
        QCOMPARE(config.soundCard, QString("HDMI-1"));
        config.soundCard.clear();
        config.usbDisk = true;
        QVERIFY(config.write());
        QCOMPARE(Sandbox::readFile(configs + "peripheral/peripheralconfig"),
                 QByteArray("40\nmute\ndisk\n1\n7\n\n"));
    }

    void passwordForbiddenCharacters()
    {
        const QString forbidden = PasswordRules::forbiddenCharacters();
        QCOMPARE(forbidden.size(), 24);
        for (const QChar c : forbidden)
            QVERIFY2(PasswordRules::containsForbidden(QString("ab") + c + "cd"),
                     qPrintable(QString(c)));
        QVERIFY(!PasswordRules::containsForbidden("Ab1!%-_+=."));
        QVERIFY(!PasswordRules::containsForbidden(""));
    }

    void passwordFile()
    {
        QStringList stored;
        QVERIFY(!PasswordRules::storedPasswords(&stored));
        QVERIFY(!PasswordRules::isStored("kvsuper"));
        QVERIFY(Sandbox::writeFile(configs + "passwd/passwdconfig", "first\nsecond one\n"));
        QVERIFY(PasswordRules::isStored("second one"));
        QVERIFY(!PasswordRules::isStored("second"));
        QVERIFY(!PasswordRules::isStored("second one "));
    }

    void networkSelectionHasNoLineEnd()
    {
        QString type;
        QVERIFY(!NetworkSelection::read(&type));
        QVERIFY(NetworkSelection::write("wired"));
        QCOMPARE(Sandbox::readFile(configs + "network/Networkselection"), QByteArray("wired"));
        QVERIFY(NetworkSelection::read(&type));
        QCOMPARE(type, QString("wired"));
        QVERIFY(NetworkSelection::write("wireless"));
        QCOMPARE(Sandbox::readFile(configs + "network/Networkselection"), QByteArray("wireless"));
        // The path runs through the Wi-Fi directory, which has to exist.
        QDir(wifiDir).removeRecursively();
        QVERIFY(!NetworkSelection::write("wired"));
        QVERIFY(!NetworkSelection::read(&type));
    }
};

SANDBOX_TEST_MAIN(TestSettingsFiles)
#include "tst_settingsfiles.moc"
