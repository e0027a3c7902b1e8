// The console's logic without a socket: command lines, addresses, request
// contents and the report table.
#include "addresscodec.h"
#include "commandline.h"
#include "jsontext.h"
#include "rdpsettings.h"
#include "reporttable.h"
#include "shareprotocol.h"
#include "targetlist.h"
#include "terminalinfo.h"

#include "sandboxtestmain.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

namespace {

TerminalInfo terminal(const std::string& ip, const std::string& mac, const std::string& host)
{
    return TerminalInfo{"ID-" + host, host, "QB560_a20", "1.12(240101)", ip, mac, "10.1.1.1",
                        "3389", "user-" + host, "secret-" + host, "connected"};
}

QByteArray datagram(const std::string& key, const std::string& content)
{
    return QByteArray::fromStdString(PreData(key, content).toString());
}

QByteArray report(const TerminalInfo& info)
{
    return datagram("TERMINALMSG", info.toContent());
}

// A report as the terminal with the address it reports sends it.
bool add(ReportTable& reports, const TerminalInfo& info)
{
    return reports.addDatagram(report(info), AddressCodec::parse(info.ip).value_or(0));
}

} // namespace

class TestTermctl : public QObject
{
    Q_OBJECT

private slots:
    void addresses()
    {
        const std::pair<const char*, qint32> valid[] = {
            {"0.0.0.0", 0},           {"255.255.255.255", -1},
            {"10.0.0.5", 167772165},  {"192.168.1.20", -1062731500},
            {"128.0.0.0", std::numeric_limits<qint32>::min()},
            {"127.255.255.255", std::numeric_limits<qint32>::max()}};
        for (const auto& [text, value] : valid) {
            const auto parsed = AddressCodec::parse(text);
            QVERIFY2(parsed.has_value(), text);
            QCOMPARE(AddressCodec::targetList({*parsed}), std::string("[").append(std::to_string(value)) + "]");
        }
        for (const char* text : {"192.168.1", "1.2.3.256", "a.b.c.d", " 1.2.3.4", "1.2.3.4 ",
                                 "1.2.3.4x", "x1.2.3.4", "", "1.2.3.4.5", "1..3.4", "1.2.3.",
                                 "0x7f.0.0.1", "01.2.3.4", "1.2.3.0004", "-1.2.3.4", "+1.2.3.4",
                                 "999.1.1.1", "1.2.3.4294967297", "1.2.3.4\n"})
            QVERIFY2(!AddressCodec::parse(text), text);

        const std::string list = AddressCodec::targetList({167772165u, 0xc0a80114u});
        QCOMPARE(list, std::string("[167772165,-1062731500]"));
        // The agent's own reader finds the same addresses.
        QCOMPARE(TargetList::parse(list),
                 std::optional(std::vector<qint32>{167772165, -1062731500}));
    }

    void helpAndUsage()
    {
        for (const QStringList& arguments : {QStringList{"help"}, {"--help"}, {"-h"},
                                             {"discover", "--help"}, {"reboot", "-h"}})
            QCOMPARE(CommandLine::parse(arguments).action, CommandLine::Action::Help);
        QCOMPARE(CommandLine::parse({}).action, CommandLine::Action::Usage);
        for (const char* word : {"discover", "set-rdp", "reboot", "shutdown", "--time", "--json",
                                 "--server", "--port", "--user", "--password", "--password-file", "Examples"})
            QVERIFY2(CommandLine::usage().contains(QLatin1String(word)), word);
    }

    void discover()
    {
        CommandLine command = CommandLine::parse({"discover"});
        QCOMPARE(command.action, CommandLine::Action::Discover);
        QCOMPARE(command.destinations, std::vector<quint32>{0xffffffffu});
        QCOMPARE(command.waitMs, 2000);
        QVERIFY(!command.json);
        QCOMPARE(command.key, std::string("TERMINALMSG_REQUEST"));
        QCOMPARE(command.content, std::string());

        command = CommandLine::parse(
            {"discover", "--json", "--to", "192.168.1.255", "--time", "0.5"});
        QCOMPARE(command.destinations, std::vector<quint32>{0xc0a801ffu});
        QCOMPARE(command.waitMs, 500);
        QVERIFY(command.json);
        command = CommandLine::parse({"discover", "--to=10.0.0.5", "--time=.0001"});
        QCOMPARE(command.destinations, std::vector<quint32>{167772165u});
        QCOMPARE(command.waitMs, 1); // rounded up, never a zero wait
        // Several, repeated or in a list, each once.
        command = CommandLine::parse({"discover", "--to", "192.168.1.255,10.0.0.255",
                                      "--to=192.168.1.255", "--to", "10.0.0.5"});
        QCOMPARE(command.destinations, (std::vector<quint32>{0xc0a801ff, 0x0a0000ff, 0x0a000005}));
    }

    void setRdp()
    {
        using Settings = std::map<std::string, std::string>;
        CommandLine command =
            CommandLine::parse({"set-rdp", "192.168.1.20", "--server", "10.1.1.1", "--port",
                                "3389", "--user", "u", "--password", "p w"});
        QCOMPARE(command.action, CommandLine::Action::SetRdp);
        QCOMPARE(command.destination, 0xc0a80114u);
        QCOMPARE(command.key, std::string("SETRDPINFO_REQUEST"));
        QCOMPARE(RdpSettings::content(command.settings, nullptr),
                 std::string(R"({"RDP_IP":"10.1.1.1","RDP_PASSWORD":"p w",)"
                             R"("RDP_PORT":"3389","RDP_USER":"u"})"));
        QVERIFY(command.passwordFile.isEmpty());
        // Left out is not given; an empty value is.
        command = CommandLine::parse({"set-rdp", "10.0.0.5", "--user="});
        QCOMPARE(command.settings, (Settings{{"RDP_USER", ""}}));
        // Escaped quotes, values that look like options.
        command = CommandLine::parse({"set-rdp", "10.0.0.5", "--password", "-\"q\\",
                                      "--user=a=b", "--port", "03389"});
        QCOMPARE(command.settings, (Settings{{"RDP_PASSWORD", "-\"q\\"}, {"RDP_USER", "a=b"},
                                             {"RDP_PORT", "3389"}}));
        command = CommandLine::parse({"set-rdp", "10.0.0.5", "--password", "-"});
        QCOMPARE(command.passwordFile, QString("-"));
        QVERIFY(command.settings.empty());
        command = CommandLine::parse({"set-rdp", "10.0.0.5", "--password-file=pw.txt"});
        QCOMPARE(command.passwordFile, QString("pw.txt"));

        for (const char* port : {"1", "65535", ""}) {
            command = CommandLine::parse({"set-rdp", "1.1.1.1", "--port", port});
            QCOMPARE(command.settings, (Settings{{"RDP_PORT", port}}));
        }
        for (const char* port : {"0", "65536", "-1", "+80", " 80", "3389x", "0x50", "1e3",
                                 "99999999999999999999"}) {
            command = CommandLine::parse({"set-rdp", "10.0.0.5", "--port", port});
            QCOMPARE(command.action, CommandLine::Action::Invalid);
            QVERIFY2(command.error.contains(QStringLiteral("'%1'").arg(port)),
                     qPrintable(command.error));
        }
    }

    void power()
    {
        CommandLine command = CommandLine::parse({"reboot", "10.0.0.5", "192.168.1.20"});
        QCOMPARE(command.action, CommandLine::Action::Send);
        QCOMPARE(command.destination, 0xffffffffu);
        QCOMPARE(command.key, std::string("TERMINALREBOOT_REQUEST"));
        QCOMPARE(command.content, std::string("[167772165,-1062731500]"));
        command = CommandLine::parse({"shutdown", "128.0.0.0", "--to", "192.168.1.255"});
        QCOMPARE(command.destination, 0xc0a801ffu);
        QCOMPARE(command.key, std::string("TERMINALSHUTDOWN_REQUEST"));
        QCOMPARE(command.content, std::string("[-2147483648]"));
    }

    void invalidCommandLine_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("named"); // what the error must mention
        QTest::newRow("command") << QStringList{"restart"} << "'restart'";
        QTest::newRow("option") << QStringList{"discover", "--wait", "1"} << "'--wait'";
        QTest::newRow("other's option") << QStringList{"reboot", "--json", "1.1.1.1"} << "'--json'";
        QTest::newRow("no value") << QStringList{"discover", "--to"} << "'--to'";
        QTest::newRow("flag value") << QStringList{"discover", "--json=yes"} << "'--json'";
        QTest::newRow("twice") << QStringList{"discover", "--time", "1", "--time=2"} << "'--time'";
        QTest::newRow("operand") << QStringList{"discover", "10.0.0.5"} << "'10.0.0.5'";
        QTest::newRow("bad --to") << QStringList{"discover", "--to", "192.168.1"} << "'192.168.1'";
        QTest::newRow("empty --to in a list")
            << QStringList{"discover", "--to", "1.1.1.1,"} << "''";
        QTest::newRow("empty --to") << QStringList{"reboot", "--to=", "10.0.0.5"} << "''";
        for (const char* time : {"0", "0.0", "-1", "abc", "", "1e3", "inf", "1.2.3", "86400.5"})
            QTest::newRow(qPrintable(QStringLiteral("time '%1'").arg(time)))
                << QStringList{"discover", "--time", time} << QStringLiteral("'%1'").arg(time);
        QTest::newRow("no address") << QStringList{"set-rdp", "--user", "u"} << "address";
        QTest::newRow("bad address") << QStringList{"set-rdp", "1.2.3.256"} << "'1.2.3.256'";
        QTest::newRow("two addresses")
            << QStringList{"set-rdp", "1.1.1.1", "1.1.1.2"} << "'1.1.1.2'";
        QTest::newRow("two passwords")
            << QStringList{"set-rdp", "1.1.1.1", "--password", "p", "--password-file", "f"}
            << "'--password-file'";
        QTest::newRow("empty password file")
            << QStringList{"set-rdp", "1.1.1.1", "--password-file="} << "'--password-file'";
        QTest::newRow("no targets") << QStringList{"shutdown", "--to", "10.0.0.255"} << "address";
        QTest::newRow("bad target") << QStringList{"reboot", "1.1.1.1", " 1.1.1.2"} << "' 1.1.1.2'";
        QTest::newRow("screenshot, no address") << QStringList{"screenshot", "-o", "f"} << "address";
        QTest::newRow("screenshot, no -o") << QStringList{"screenshot", "1.1.1.1"} << "'-o FILE'";
        QTest::newRow("screenshot, empty -o") << QStringList{"screenshot", "1.1.1.1", "-o="} << "'-o'";
        QTest::newRow("screenshot, -o without value")
            << QStringList{"screenshot", "1.1.1.1", "-o"} << "'-o'";
        QTest::newRow("screenshot, two -o")
            << QStringList{"screenshot", "1.1.1.1", "-o", "a", "-o", "b"} << "'-o'";
        QTest::newRow("screenshot, bad address")
            << QStringList{"screenshot", "1.1.1", "-o", "f"} << "'1.1.1'";
        QTest::newRow("screenshot, extra operand")
            << QStringList{"screenshot", "1.1.1.1", "x", "-o", "f"} << "'x'";
        QTest::newRow("screenshot, other option")
            << QStringList{"screenshot", "1.1.1.1", "--to", "1.1.1.2"} << "'--to'";
        QTest::newRow("upload, no package") << QStringList{"upload", "1.1.1.1"} << "package";
        QTest::newRow("upload, empty package") << QStringList{"upload", "1.1.1.1", ""} << "package";
        QTest::newRow("upload, two packages")
            << QStringList{"upload", "1.1.1.1", "a", "b"} << "'b'";
        QTest::newRow("upload, -o") << QStringList{"upload", "1.1.1.1", "a", "-o", "b"} << "'-o'";
        QTest::newRow("update, no address") << QStringList{"update"} << "address";
        QTest::newRow("update, extra") << QStringList{"update", "1.1.1.1", "now"} << "'now'";
        QTest::newRow("get, no path") << QStringList{"get", "1.1.1.1", "-o", "f"} << "path";
        QTest::newRow("get, no -o") << QStringList{"get", "1.1.1.1", "/etc/x"} << "'-o FILE'";
        QTest::newRow("get, empty path") << QStringList{"get", "1.1.1.1", "", "-o", "f"} << "''";
        const QString longPath = "/" + QString(300, 'p');
        QTest::newRow("get, path too long")
            << QStringList{"get", "1.1.1.1", longPath, "-o", "f"} << "too long";
        QTest::newRow("offline") << QStringList{"list", "--offline", "-1"} << "'-1'";
        QTest::newRow("offline +") << QStringList{"list", "--offline", "+5"} << "'+5'";
        QTest::newRow("sort") << QStringList{"list", "--sort", "mac"} << "'mac'";
        QTest::newRow("subnet prefix") << QStringList{"list", "--subnet", "10.0.0.0/33"} << "'10.0.0.0/33'";
        QTest::newRow("subnet no prefix") << QStringList{"list", "--subnet", "10.0.0.0"} << "'10.0.0.0'";
        QTest::newRow("list operand") << QStringList{"list", "x"} << "'x'";
        QTest::newRow("wake nothing") << QStringList{"wake"} << "--all-known";
        QTest::newRow("wake two ways") << QStringList{"wake", "--all-known", "--subnet", "10.0.0.0/8"}
                                       << "one of them";
        QTest::newRow("wake --to") << QStringList{"wake", "--all-known", "--to", "1.2.3"} << "'1.2.3'";
    }

    void invalidCommandLine()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, named);
        const CommandLine command = CommandLine::parse(arguments);
        QCOMPARE(command.action, CommandLine::Action::Invalid);
        QVERIFY2(command.error.contains(named), qPrintable(command.error));
        QVERIFY(!command.error.contains('\n'));
        QVERIFY(command.key.empty());
    }

    void settingsLeftOutKeepTheReportedBytes()
    {
        // Latin-1 and UTF-8 go back as the bytes reported.
        TerminalInfo info = terminal("10.0.0.5", "aa", "t1");
        info.rdpIp = "caf\xe9";
        info.rdpPassword = "p\xc3\xa9\"";
        info.rdpPort = "";
        ReportTable reports;
        QVERIFY(add(reports, info));
        QVERIFY(reports.find("10.0.0.9") == nullptr);
        const Json::Value* current = reports.find("10.0.0.5");
        QVERIFY(current != nullptr);
        QCOMPARE(RdpSettings::content({{"RDP_USER", "bob"}}, current),
                 std::string("{\"RDP_IP\":\"caf\xe9\",\"RDP_PASSWORD\":\"p\xc3\xa9\\\"\","
                             "\"RDP_PORT\":\"\",\"RDP_USER\":\"bob\"}"));
    }

    // Report texts shown in the table and in --json, and names typed on the
    // command line as sent.
    void textBytes_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("UTF-8") << QByteArray("Ren\xc3\xa9" "e") << QString("Ren\u00e9e");
        QTest::newRow("CJK") << QByteArray("\xe6\x9d\xb1\xe4\xba\xac") << QString("\u6771\u4eac");
        QTest::newRow("Latin-1") << QByteArray("Ren\xe9" "e") << QString("Ren\u00e9e");
        QTest::newRow("cut UTF-8") << QByteArray("caf\xc3") << QString("caf\u00c3");
    }

    void textBytes()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        ReportTable reports;
        add(reports, terminal("10.0.0.5", "aa", bytes.toStdString()));
        QVERIFY2(reports.table().contains(" " + text + " "), qPrintable(reports.table()));
        const QJsonObject json = QJsonDocument::fromJson(reports.jsonLines().toUtf8()).object();
        QCOMPARE(json.value("hostName").toString(), text);

        if (text.toUtf8() == bytes) { // typed on a UTF-8 command line
            QCOMPARE(CommandLine::parse({"get", "10.0.0.5", text, "-o", "f"}).remotePath,
                     bytes.toStdString());
            QCOMPARE(CommandLine::parse({"set-rdp", "10.0.0.5", "--user", text}).settings["RDP_USER"],
                     bytes.toStdString());
        }
    }

    void ignoresOtherPackets()
    {
        ReportTable reports;
        const std::string content = terminal("10.0.0.5", "aa", "t1").toContent();
        for (const QByteArray& packet :
             {datagram("TERMINALMSG_REQUEST", ""), datagram("TERMINALREBOOT_REQUEST", "[1]"),
              datagram("TERMINALMSG", "not json"), datagram("TERMINALMSG", "[\"10.0.0.5\"]"),
              QByteArray(), QByteArray("##"), QByteArray("##{"),
              datagram("TERMINALMSG", content).mid(2),
              QByteArray(R"(##{"key":"TERMINALMSG","content":{"ip":"10.0.0.5"}})"),
              QByteArray(R"(##{"key":7,"content":"{}"})")})
            QVERIFY2(!reports.addDatagram(packet, 1), packet.constData());
        QVERIFY(reports.empty());
        QCOMPARE(reports.jsonLines(), QString());
        QCOMPARE(reports.table().count('\n'), 1); // the header alone
    }

    void newestReportWins()
    {
        ReportTable reports;
        QVERIFY(add(reports, terminal("10.0.0.5", "aa", "old")));
        QVERIFY(add(reports, terminal("10.0.0.5", "aa", "new")));
        QCOMPARE(reports.table().count('\n'), 2);
        QVERIFY(reports.table().contains("new"));
        // A peer that sends ever other reports from one address keeps one row.
        for (int i = 0; i < 1000; ++i)
            QVERIFY(reports.addDatagram(report(terminal("10.1." + std::to_string(i), std::to_string(i), "fake")),
                                        0x0a000009));
        QCOMPARE(reports.table().count('\n'), 3);
        QVERIFY(reports.table().contains("10.1.999 "));
        // Ever new addresses fill the table up to its bound; those known still change.
        for (quint32 sender = 1; sender <= ReportTable::MaxTerminals; ++sender)
            reports.addDatagram(report(terminal("10.2.0.1", "m", "flood")), 0x0b000000 + sender);
        QCOMPARE(reports.table().count('\n'), qsizetype(ReportTable::MaxTerminals) + 1);
        QVERIFY(add(reports, terminal("10.0.0.5", "aa", "newest")));
        QVERIFY(reports.table().contains("newest"));
    }

    void tableSortedAndAligned()
    {
        ReportTable reports;
        for (const char* ip :
             {"192.168.1.100", "nowhere", "192.168.1.20", "10.0.0.5", "192.168.1.3"})
            add(reports, terminal(ip, "m", std::string("h") + ip));
        const QStringList lines = reports.table().chopped(1).split('\n');
        QCOMPARE(lines.size(), 6);
        const QString& header = lines[0];
        for (const char* column : {"ID", "HOST", "MODEL", "VERSION", "IP", "MAC", "RDP SERVER",
                                   "RDP PORT", "RDP USER"})
            QVERIFY2(header.contains(column), column);
        const qsizetype ipColumn = header.indexOf("IP  ");
        const qsizetype hostColumn = header.indexOf("HOST");
        const qsizetype userColumn = header.indexOf("RDP USER");
        QStringList order;
        for (const QString& line : lines.mid(1)) {
            const QString ip = line.mid(ipColumn).section(' ', 0, 0);
            order << ip;
            QCOMPARE(line.mid(hostColumn).section(' ', 0, 0), "h" + ip);
            QCOMPARE(line.mid(userColumn), "user-h" + ip);
        }
        QCOMPARE(order, (QStringList{"10.0.0.5", "192.168.1.3", "192.168.1.20", "192.168.1.100",
                                     "nowhere"}));
        for (const char* value : {"ID-h10.0.0.5", "QB560_a20", "1.12(240101)", "10.1.1.1", "3389"})
            QVERIFY2(lines[1].contains(value), value);
    }

    void controlsHiddenOrEscaped()
    {
        ReportTable reports;
        add(reports, terminal("10.0.0.5", "aa", "t\x1b[2J\x7f\xc2\x85"));
        const QString table = reports.table();
        QVERIFY(!table.contains("secret"));
        QVERIFY(!table.contains("PASSWORD"));
        QVERIFY2(table.contains("t?[2J??"), qPrintable(table));
        // --json escapes them, and still reads back as the texts sent.
        const QString json = reports.jsonLines();
        QVERIFY2(json.contains("\"hostName\":\"t\\u001b[2J\\u007f\\u0085\""), qPrintable(json));
        QCOMPARE(QJsonDocument::fromJson(json.toUtf8()).object().value("hostName").toString(),
                 QString("t\x1b[2J\x7f\u0085"));
    }

    void jsonLines()
    {
        ReportTable reports;
        TerminalInfo second = terminal("10.0.0.9", "bb", "caf\xe9"); // Latin-1, as agents send it
        add(reports, second);
        add(reports, terminal("10.0.0.5", "aa", "first"));
        const QStringList lines = reports.jsonLines().chopped(1).split('\n');
        QCOMPARE(lines.size(), 2);
        QCOMPARE(lines[0].toStdString() + "\n", terminal("10.0.0.5", "aa", "first").toContent());
        QCOMPARE(lines[1].toLatin1().toStdString() + "\n", second.toContent());
    }
};

SANDBOX_TEST_MAIN(TestTermctl)
#include "tst_termctl.moc"
