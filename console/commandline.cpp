#include "commandline.h"

#include "addresscodec.h"
#include "addressrange.h"
#include "macaddress.h"
#include "prober.h"
#include "rollout.h"
#include "sharekeys.h"
#include "tcpcommands.h"
#include "tcpconnection.h"

#include <QFile>
#include <QMap>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <optional>
#include <span>
#include <vector>

namespace {

struct Option
{
    const char* name;
    bool takesValue;
    bool repeatable = false; // values given several times are joined by commas
};

constexpr Option DiscoverOptions[] = {{"--to", true, true}, {"--time", true}, {"--json", false}};
constexpr Option SetRdpOptions[] = {{"--server", true}, {"--port", true}, {"--user", true},
                                     {"--password", true}, {"--password-file", true}};
constexpr Option PowerOptions[] = {{"--to", true}};
constexpr Option OutputOptions[] = {{"-o", true}};
constexpr Option ServeOptions[] = {{"--listen", true}, {"--password-file", true}};
constexpr Option ListOptions[] = {{"--offline", true}, {"--json", false}, {"--sort", true},
                                  {"--subnet", true}, {"--version", true}};
constexpr Option WakeOptions[] = {{"--all-known", false}, {"--subnet", true}, {"--to", true}};
constexpr Option ProbeOptions[] = {{"--json", false}, {"--timeout", true}, {"--parallel", true}};
constexpr Option RolloutOptions[] = {{"--targets", true},      {"--all-known", false},
                                     {"--batch", true},        {"--expect-version", true},
                                     {"--max-failures", true}, {"--timeout", true}};

// Long enough for any terminal to answer on a slow link, short enough that
// the wait in milliseconds stays far from overflowing.
constexpr double MaxWaitSeconds = 86400;

CommandLine invalid(const QString& error)
{
    CommandLine command;
    command.error = error;
    return command;
}

QString quoted(const QString& text)
{
    return QLatin1Char('\'') + text + QLatin1Char('\'');
}

// Options and operands of one command, before their values are checked.
struct Arguments
{
    QMap<QString, QString> options;
    QStringList operands;
    bool help = false;
    QString error;
};

Arguments split(const QString& command, const QStringList& words, std::span<const Option> known)
{
    Arguments result;
    for (qsizetype i = 0; i < words.size(); ++i) {
        const QString& word = words[i];
        if (!word.startsWith(QLatin1Char('-'))) {
            result.operands << word;
            continue;
        }
        const qsizetype equals = word.indexOf(QLatin1Char('='));
        const QString name = equals < 0 ? word : word.left(equals);
        if (name == QLatin1String("--help") || name == QLatin1String("-h")) {
            result.help = true;
            return result;
        }
        const auto option = std::find_if(known.begin(), known.end(), [&](const Option& o) {
            return name == QLatin1String(o.name);
        });
        if (option == known.end()) {
            result.error = QStringLiteral("unknown option %1 for %2").arg(quoted(name), command);
            return result;
        }
        if (result.options.contains(name) && !option->repeatable) {
            result.error = QStringLiteral("option %1 given twice").arg(quoted(name));
            return result;
        }
        QString value;
        if (!option->takesValue) {
            if (equals >= 0) {
                result.error = QStringLiteral("option %1 takes no value").arg(quoted(name));
                return result;
            }
        } else if (equals >= 0) {
            value = word.mid(equals + 1);
        } else if (i + 1 < words.size()) {
            value = words[++i];
        } else {
            result.error = QStringLiteral("option %1 needs a value").arg(quoted(name));
            return result;
        }
        if (result.options.contains(name))
            value = result.options[name] + QLatin1Char(',') + value;
        result.options.insert(name, value);
    }
    return result;
}

std::optional<quint32> address(const QString& text)
{
    return AddressCodec::parse(text.toStdString());
}

// Decimal seconds, a fraction allowed; rounded up so that any positive time
// waits at least one millisecond.
std::optional<int> waitMs(const QString& text)
{
    const std::string digits = text.toStdString();
    if (digits.find_first_not_of("0123456789.") != std::string::npos)
        return std::nullopt;
    double seconds = 0;
    const char* end = digits.data() + digits.size();
    const auto [stop, status] =
        std::from_chars(digits.data(), end, seconds, std::chars_format::fixed);
    if (status != std::errc() || stop != end || !(seconds > 0) || seconds > MaxWaitSeconds)
        return std::nullopt;
    return int(std::ceil(seconds * 1000));
}

// Empty, or 1..65535 sent in its plain decimal form.
std::optional<std::string> port(const QString& text)
{
    const std::string digits = text.toStdString();
    if (digits.empty())
        return digits;
    if (digits.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    unsigned value = 0;
    const char* end = digits.data() + digits.size();
    const auto [stop, status] = std::from_chars(digits.data(), end, value);
    if (status != std::errc() || stop != end || value < 1 || value > 65535)
        return std::nullopt;
    return std::to_string(value);
}

// Names and values travel as bytes: those the user typed, in the encoding of
// the command line.
std::string bytes(const QString& text)
{
    return QFile::encodeName(text).toStdString();
}

// Sets the destination from --to, if given; returns an error text or nothing.
QString takeDestination(const Arguments& arguments, CommandLine& command)
{
    const auto to = arguments.options.constFind(QStringLiteral("--to"));
    if (to == arguments.options.constEnd())
        return QString();
    const auto destination = address(*to);
    if (!destination)
        return QStringLiteral("invalid address %1 for '--to'").arg(quoted(*to));
    command.destination = *destination;
    return QString();
}

CommandLine discover(const Arguments& arguments)
{
    if (!arguments.operands.isEmpty())
        return invalid(QStringLiteral("unexpected argument %1").arg(quoted(arguments.operands[0])));
    CommandLine command;
    const auto to = arguments.options.constFind(QStringLiteral("--to"));
    for (const QString& text : to == arguments.options.constEnd()
                                   ? QStringList()
                                   : to->split(QLatin1Char(','))) {
        const auto destination = address(text);
        if (!destination)
            return invalid(QStringLiteral("invalid address %1 for '--to'").arg(quoted(text)));
        if (std::find(command.destinations.begin(), command.destinations.end(), *destination)
            == command.destinations.end())
            command.destinations.push_back(*destination);
    }
    if (command.destinations.empty())
        command.destinations.push_back(CommandLine::LimitedBroadcast);
    if (arguments.options.contains(QStringLiteral("--time"))) {
        const QString text = arguments.options[QStringLiteral("--time")];
        const auto wait = waitMs(text);
        if (!wait)
            return invalid(QStringLiteral("invalid time %1 for '--time' (seconds, more than 0, "
                                          "at most %2)")
                               .arg(quoted(text))
                               .arg(MaxWaitSeconds));
        command.waitMs = *wait;
    }
    command.json = arguments.options.contains(QStringLiteral("--json"));
    command.action = CommandLine::Action::Discover;
    command.key = ShareKeys::TerminalMsgRequest;
    return command;
}

CommandLine setRdp(const Arguments& arguments)
{
    if (arguments.operands.isEmpty())
        return invalid(QStringLiteral("set-rdp needs the terminal address"));
    if (arguments.operands.size() > 1)
        return invalid(QStringLiteral("unexpected argument %1").arg(quoted(arguments.operands[1])));
    const auto destination = address(arguments.operands[0]);
    if (!destination)
        return invalid(
            QStringLiteral("invalid terminal address %1").arg(quoted(arguments.operands[0])));

    const QMap<QString, QString>& options = arguments.options;
    CommandLine command;
    if (options.contains(QStringLiteral("--port"))) {
        const QString portText = options.value(QStringLiteral("--port"));
        const auto portValue = port(portText);
        if (!portValue)
            return invalid(QStringLiteral("invalid port %1 for '--port' (1..65535 or empty)")
                               .arg(quoted(portText)));
        command.settings["RDP_PORT"] = *portValue;
    }
    const std::pair<const char*, const char*> texts[] = {
        {"--server", "RDP_IP"}, {"--user", "RDP_USER"}, {"--password", "RDP_PASSWORD"}};
    for (const auto& [option, member] : texts) {
        if (options.contains(QLatin1String(option)))
            command.settings[member] = bytes(options.value(QLatin1String(option)));
    }
    const auto file = options.constFind(QStringLiteral("--password-file"));
    if (file != options.constEnd()) {
        if (command.settings.count("RDP_PASSWORD") != 0)
            return invalid(QStringLiteral("give '--password' or '--password-file', not both"));
        if (file->isEmpty())
            return invalid(QStringLiteral("empty file name for '--password-file'"));
        command.passwordFile = *file;
    } else if (options.value(QStringLiteral("--password")) == QLatin1String("-")) {
        command.settings.erase("RDP_PASSWORD");
        command.passwordFile = QStringLiteral("-");
    }

    command.action = CommandLine::Action::SetRdp;
    command.destination = *destination;
    command.key = ShareKeys::SetRdpinfoRequest;
    return command;
}

CommandLine power(const char* key, const Arguments& arguments)
{
    CommandLine command;
    if (const QString error = takeDestination(arguments, command); !error.isEmpty())
        return invalid(error);
    if (arguments.operands.isEmpty())
        return invalid(QStringLiteral("no terminal address given"));
    std::vector<quint32> targets;
    for (const QString& operand : arguments.operands) {
        const auto target = address(operand);
        if (!target)
            return invalid(QStringLiteral("invalid terminal address %1").arg(quoted(operand)));
        targets.push_back(*target);
    }
    command.action = CommandLine::Action::Send;
    command.key = key;
    command.content = AddressCodec::targetList(targets);
    return command;
}

// The terminal address first, then what the command takes after it.
QString takeOperands(const QString& name, const Arguments& arguments, const QStringList& after,
                     CommandLine& command)
{
    const QStringList& operands = arguments.operands;
    if (operands.isEmpty())
        return QStringLiteral("%1 needs the terminal address").arg(name);
    if (operands.size() <= after.size())
        return QStringLiteral("%1 needs %2").arg(name, after[operands.size() - 1]);
    if (operands.size() > after.size() + 1)
        return QStringLiteral("unexpected argument %1").arg(quoted(operands[after.size() + 1]));
    const auto destination = address(operands[0]);
    if (!destination)
        return QStringLiteral("invalid terminal address %1").arg(quoted(operands[0]));
    command.destination = *destination;
    return QString();
}

QString takeOutput(const QString& name, const Arguments& arguments, CommandLine& command)
{
    const auto output = arguments.options.constFind(QStringLiteral("-o"));
    if (output == arguments.options.constEnd())
        return QStringLiteral("%1 needs '-o FILE', the file to write").arg(name);
    if (output->isEmpty())
        return QStringLiteral("empty file name for '-o'");
    command.localPath = *output;
    return QString();
}

CommandLine tcp(const QString& name, const Arguments& arguments)
{
    CommandLine command;
    QStringList after;
    if (name == QLatin1String("upload"))
        after << QStringLiteral("the package file");
    else if (name == QLatin1String("get"))
        after << QStringLiteral("the path of the file on the terminal");
    if (const QString error = takeOperands(name, arguments, after, command); !error.isEmpty())
        return invalid(error);

    if (name == QLatin1String("screenshot") || name == QLatin1String("get")) {
        if (const QString error = takeOutput(name, arguments, command); !error.isEmpty())
            return invalid(error);
    }
    if (name == QLatin1String("screenshot")) {
        command.action = CommandLine::Action::Screenshot;
    } else if (name == QLatin1String("update")) {
        command.action = CommandLine::Action::Update;
    } else if (name == QLatin1String("upload")) {
        command.localPath = arguments.operands[1];
        if (command.localPath.isEmpty())
            return invalid(QStringLiteral("empty package file name"));
        command.action = CommandLine::Action::Upload;
    } else {
        const QString& remote = arguments.operands[1];
        if (remote.isEmpty())
            return invalid(QStringLiteral("invalid path %1 on the terminal (empty)").arg(quoted(remote)));
        const std::string path = bytes(remote);
        if (TcpConnection::requestBlock(ShareKeys::FileRequest,
                                        TcpCommands::fileRequestContent(path))
                .isEmpty())
            return invalid(QStringLiteral("path %1 is too long for one request to the terminal")
                               .arg(quoted(remote)));
        command.remotePath = path;
        command.action = CommandLine::Action::Get;
    }
    return command;
}

CommandLine serve(const Arguments& arguments)
{
    if (!arguments.operands.isEmpty())
        return invalid(QStringLiteral("unexpected argument %1").arg(quoted(arguments.operands[0])));
    CommandLine command;
    const auto listen = arguments.options.constFind(QStringLiteral("--listen"));
    if (listen != arguments.options.constEnd()) {
        const qsizetype colon = listen->lastIndexOf(QLatin1Char(':'));
        const auto host = address(listen->left(colon));
        const auto number = port(listen->mid(colon + 1));
        if (colon < 0 || !host || !number || number->empty())
            return invalid(QStringLiteral("invalid address %1 for '--listen' (ADDR:PORT, such as "
                                          "127.0.0.1:8080)")
                               .arg(quoted(*listen)));
        command.listenAddress = *host;
        command.listenPort = quint16(std::stoi(*number));
    }
    const auto file = arguments.options.constFind(QStringLiteral("--password-file"));
    if (file != arguments.options.constEnd()) {
        if (file->isEmpty())
            return invalid(QStringLiteral("empty file name for '--password-file'"));
        command.passwordFile = *file;
    }
    command.action = CommandLine::Action::Serve;
    return command;
}

// A whole number from low to high, in plain decimal.
std::optional<int> number(const QString& text, int low, int high)
{
    const std::string digits = text.toStdString();
    int value = 0;
    const char* end = digits.data() + digits.size();
    const auto [stop, status] = std::from_chars(digits.data(), end, value);
    if (digits.empty() || digits.front() == '-' || status != std::errc() || stop != end
        || value < low || value > high)
        return std::nullopt;
    return value;
}

CommandLine list(const Arguments& arguments)
{
    if (!arguments.operands.isEmpty())
        return invalid(QStringLiteral("unexpected argument %1").arg(quoted(arguments.operands[0])));
    const QMap<QString, QString>& options = arguments.options;
    CommandLine command;
    InventoryQuery& query = command.query;
    if (options.contains(QStringLiteral("--offline"))) {
        const QString text = options.value(QStringLiteral("--offline"));
        const auto minutes = number(text, 0, std::numeric_limits<int>::max());
        if (!minutes)
            return invalid(QStringLiteral("invalid time %1 for '--offline' (whole minutes, "
                                          "0 or more)")
                               .arg(quoted(text)));
        query.offlineMinutes = *minutes;
    }
    if (options.contains(QStringLiteral("--sort"))) {
        const QString text = options.value(QStringLiteral("--sort"));
        const auto sort = InventoryQuery::sortNamed(text);
        if (!sort)
            return invalid(QStringLiteral("invalid order %1 for '--sort' (id, host, ip, version or "
                                          "last-seen)")
                               .arg(quoted(text)));
        query.sort = *sort;
    }
    if (options.contains(QStringLiteral("--subnet"))) {
        const QString text = options.value(QStringLiteral("--subnet"));
        query.subnet = Subnet::parse(text.toStdString());
        if (!query.subnet)
            return invalid(QStringLiteral("invalid subnet %1 for '--subnet' (such as "
                                          "192.168.1.0/24)")
                               .arg(quoted(text)));
    }
    if (options.contains(QStringLiteral("--version")))
        query.version = bytes(options.value(QStringLiteral("--version")));
    command.json = options.contains(QStringLiteral("--json"));
    command.action = CommandLine::Action::List;
    return command;
}

CommandLine wakeUp(const Arguments& arguments)
{
    const QMap<QString, QString>& options = arguments.options;
    CommandLine command;
    WakeRequest& request = command.wake;
    for (const QString& operand : arguments.operands) {
        const auto mac = MacAddress::parse(operand.toStdString());
        if (!mac)
            return invalid(QStringLiteral("invalid MAC address %1 (such as aa:bb:cc:dd:ee:ff or "
                                          "aa-bb-cc-dd-ee-ff)")
                               .arg(quoted(operand)));
        request.macs.push_back(*mac);
    }
    request.allKnown = options.contains(QStringLiteral("--all-known"));
    if (options.contains(QStringLiteral("--subnet"))) {
        const QString text = options.value(QStringLiteral("--subnet"));
        request.subnet = Subnet::parse(text.toStdString());
        if (!request.subnet)
            return invalid(QStringLiteral("invalid subnet %1 for '--subnet' (such as "
                                          "192.168.1.0/24)")
                               .arg(quoted(text)));
    }
    if (int(!request.macs.empty()) + int(request.allKnown) + int(request.subnet.has_value()) != 1)
        return invalid(QStringLiteral("wake needs MAC addresses, '--all-known' or '--subnet CIDR' "
                                      "(one of them)"));
    if (const QString error = takeDestination(arguments, command); !error.isEmpty())
        return invalid(error);
    if (options.contains(QStringLiteral("--to")))
        request.to = command.destination;
    command.action = CommandLine::Action::Wake;
    return command;
}

// The option's value as a number, the fallback when it is not given.
QString takeNumber(const Arguments& arguments, const char* name, int low, int high, int fallback,
                   int& out)
{
    const auto given = arguments.options.constFind(QLatin1String(name));
    if (given == arguments.options.constEnd()) {
        out = fallback;
        return QString();
    }
    const auto value = number(*given, low, high);
    if (!value)
        return QStringLiteral("invalid value %1 for '%2' (%3..%4)")
            .arg(quoted(*given), QLatin1String(name))
            .arg(low)
            .arg(high);
    out = *value;
    return QString();
}

CommandLine probe(const Arguments& arguments)
{
    CommandLine command;
    if (arguments.operands.isEmpty())
        return invalid(QStringLiteral("probe needs at least one address or subnet"));
    QString error;
    const auto addresses = AddressRange::expand(arguments.operands, error);
    if (!addresses)
        return invalid(error);
    if (!(error = takeNumber(arguments, "--timeout", 1, 600000, Prober::DefaultTimeoutMs,
                             command.waitMs))
             .isEmpty()
        || !(error = takeNumber(arguments, "--parallel", 1, Prober::MaxParallel,
                                Prober::DefaultParallel, command.parallel))
                .isEmpty())
        return invalid(error);
    command.addresses = *addresses;
    command.json = arguments.options.contains(QStringLiteral("--json"));
    command.action = CommandLine::Action::Probe;
    return command;
}

CommandLine rollout(const Arguments& arguments)
{
    if (arguments.operands.isEmpty())
        return invalid(QStringLiteral("rollout needs the package file"));
    if (arguments.operands.size() > 1)
        return invalid(QStringLiteral("unexpected argument %1").arg(quoted(arguments.operands[1])));
    CommandLine command;
    command.localPath = arguments.operands[0];
    if (command.localPath.isEmpty())
        return invalid(QStringLiteral("empty package file name"));
    const QMap<QString, QString>& options = arguments.options;
    command.allKnown = options.contains(QStringLiteral("--all-known"));
    const auto targets = options.constFind(QStringLiteral("--targets"));
    if (command.allKnown == (targets != options.constEnd()))
        return invalid(QStringLiteral("rollout needs '--targets LIST' or '--all-known', one of them"));
    if (!command.allKnown) {
        QString error;
        const auto addresses = AddressRange::expand(targets->split(QLatin1Char(',')), error);
        if (!addresses)
            return invalid(error);
        command.addresses = *addresses;
    }
    if (!options.contains(QStringLiteral("--batch")))
        return invalid(QStringLiteral("rollout needs '--batch N', the terminals updated at once"));
    command.expectVersion = options.value(QStringLiteral("--expect-version"));
    if (command.expectVersion.isEmpty())
        return invalid(QStringLiteral("rollout needs '--expect-version V', the version the "
                                      "terminals report once updated"));
    QString error;
    if (!(error = takeNumber(arguments, "--batch", 1, 1024, 0, command.batch)).isEmpty()
        || !(error = takeNumber(arguments, "--max-failures", 1, 1 << 20, Rollout::DefaultMaxFailures,
                                command.maxFailures))
                .isEmpty())
        return invalid(error);
    command.waitMs = Rollout::DefaultTimeoutSeconds * 1000;
    if (options.contains(QStringLiteral("--timeout"))) {
        const QString text = options.value(QStringLiteral("--timeout"));
        const auto wait = waitMs(text);
        if (!wait)
            return invalid(QStringLiteral("invalid time %1 for '--timeout' (seconds, more than 0, "
                                          "at most %2)")
                               .arg(quoted(text))
                               .arg(MaxWaitSeconds));
        command.waitMs = *wait;
    }
    command.action = CommandLine::Action::Rollout;
    return command;
}

} // namespace

CommandLine CommandLine::parse(const QStringList& arguments)
{
    if (arguments.isEmpty()) {
        CommandLine command;
        command.action = Action::Usage;
        return command;
    }
    const QString name = arguments.first();
    const QStringList words = arguments.mid(1);
    if (name == QLatin1String("help") || name == QLatin1String("--help")
        || name == QLatin1String("-h")) {
        CommandLine command;
        command.action = Action::Help;
        return command;
    }

    const bool overTcp = name == QLatin1String("screenshot") || name == QLatin1String("upload")
                         || name == QLatin1String("update") || name == QLatin1String("get");
    std::span<const Option> known;
    if (name == QLatin1String("discover"))
        known = DiscoverOptions;
    else if (name == QLatin1String("set-rdp"))
        known = SetRdpOptions;
    else if (name == QLatin1String("reboot") || name == QLatin1String("shutdown"))
        known = PowerOptions;
    else if (name == QLatin1String("screenshot") || name == QLatin1String("get"))
        known = OutputOptions;
    else if (name == QLatin1String("serve"))
        known = ServeOptions;
    else if (name == QLatin1String("list"))
        known = ListOptions;
    else if (name == QLatin1String("wake"))
        known = WakeOptions;
    else if (name == QLatin1String("probe"))
        known = ProbeOptions;
    else if (name == QLatin1String("rollout"))
        known = RolloutOptions;
    else if (!overTcp)
        return invalid(QStringLiteral("unknown command %1").arg(quoted(name)));

    const Arguments parsed = split(name, words, known);
    if (parsed.help) {
        CommandLine command;
        command.action = Action::Help;
        return command;
    }
    if (!parsed.error.isEmpty())
        return invalid(parsed.error);
    if (name == QLatin1String("discover"))
        return discover(parsed);
    if (name == QLatin1String("set-rdp"))
        return setRdp(parsed);
    if (overTcp)
        return tcp(name, parsed);
    if (name == QLatin1String("serve"))
        return serve(parsed);
    if (name == QLatin1String("list"))
        return list(parsed);
    if (name == QLatin1String("wake"))
        return wakeUp(parsed);
    if (name == QLatin1String("probe"))
        return probe(parsed);
    if (name == QLatin1String("rollout"))
        return rollout(parsed);
    return power(name == QLatin1String("reboot") ? ShareKeys::TerminalRebootRequest
                                                 : ShareKeys::TerminalShutdownRequest,
                 parsed);
}

QString CommandLine::usage()
{
    return QStringLiteral(
        "Usage: termctl COMMAND [OPTION]... [ARGUMENT]...\n"
        "Manages the terminals of the local network over UDP port 9800 and, for\n"
        "screenshots and files, TCP port 9600.\n"
        "\n"
        "Commands:\n"
        "  discover [--to ADDR] [--time SECONDS] [--json]\n"
        "      Asks the terminals to report and lists those that answer, by address.\n"
        "      --to ADDR       where the request goes (default 255.255.255.255): a\n"
        "                      directed broadcast such as 192.168.1.255 or the\n"
        "                      address of one terminal; several, repeated or\n"
        "                      separated by commas, each get the request\n"
        "      --time SECONDS  how long to wait for answers (default 2, fractions\n"
        "                      allowed); terminals answer by broadcast, so this\n"
        "                      host must be on their network\n"
        "      --json          print each report as one JSON line (all members,\n"
        "                      including the password) instead of the table\n"
        "  set-rdp ADDR [--server S] [--port P] [--user U]\n"
        "          [--password-file FILE | --password -]\n"
        "      Sends remote-desktop settings to the terminal at ADDR. Settings left\n"
        "      out keep their values: termctl first asks the terminal for its report\n"
        "      (as discover does, so this host must be on its network) and sends\n"
        "      nothing when none comes within 2 seconds. With all four given it does\n"
        "      not ask. An empty value (--user '') clears a setting; P is empty or\n"
        "      1..65535. Terminals do not answer: run discover to see the settings\n"
        "      in effect.\n"
        "      --password-file FILE  the password is the first line of FILE\n"
        "      --password -          reads the password from standard input (a\n"
        "                            prompt without echo when it is a terminal)\n"
        "      --password W          works, but avoid it: W shows in the process\n"
        "                            list of this host and in the shell's history\n"
        "  reboot [--to ADDR] IP...\n"
        "  shutdown [--to ADDR] IP...\n"
        "      Restarts or powers off the terminals with the addresses IP. The request\n"
        "      goes to ADDR (default 255.255.255.255); only listed terminals act.\n"
        "  screenshot ADDR -o FILE\n"
        "      Saves a JPEG screenshot of the terminal at ADDR in FILE. A terminal\n"
        "      answers from the image it captured after the previous request, so the\n"
        "      first request after its start gets none; termctl then asks once more.\n"
        "  upload ADDR PACKAGE\n"
        "      Sends the update package file PACKAGE to the terminal at ADDR. The\n"
        "      terminal keeps it only when all bytes arrived; it does not answer.\n"
        "  update ADDR\n"
        "      Installs the uploaded package and prints the terminal's reply:\n"
        "      \"successfully!\", \"error: update failed!\" or, when no package was\n"
        "      received, \"error: validation failed!\" (exit status 1 for both).\n"
        "  get ADDR PATH -o FILE\n"
        "      Fetches the file PATH of the terminal at ADDR into FILE, checking that\n"
        "      every announced byte arrived.\n"
        "  serve [--listen ADDR:PORT] [--password-file FILE]\n"
        "      Serves the fleet dashboard, a web page of the terminals found by\n"
        "      discovery every 5 seconds, with live screenshots and actions, on\n"
        "      ADDR:PORT (default 127.0.0.1:8080, where no password is needed).\n"
        "      Any other address needs a password: the first line of FILE, or typed\n"
        "      at a prompt; the page then asks for it.\n"
        "  list [--offline MINUTES] [--json] [--sort id|host|ip|version|last-seen]\n"
        "       [--subnet CIDR] [--version V]\n"
        "      Lists the terminals of the inventory: every one that discover or\n"
        "      set-rdp heard, with its newest report (no password) and when it was\n"
        "      first and last heard (UTC). Sorted by address unless --sort says.\n"
        "      --offline MINUTES  only those not heard for that many minutes\n"
        "      --subnet CIDR      only those last seen in it (192.168.1.0/24)\n"
        "      --version V        only those reporting version V, of any build\n"
        "                         (1.12 is 1.12(261208) too); --sort version\n"
        "                         orders release numbers as numbers\n"
        "      --json             one JSON object per line, with the report's\n"
        "                         member names and firstSeen, lastSeen\n"
        "  wake MAC... | --all-known | --subnet CIDR  [--to ADDR]\n"
        "      Sends Wake-on-LAN packets (UDP port 9). A known MAC goes to the\n"
        "      broadcast of the /24 of its last address, an unknown one to\n"
        "      255.255.255.255; --all-known wakes every terminal of the inventory\n"
        "      so, --subnet those last seen in CIDR through its broadcast; --to\n"
        "      sends every packet to ADDR instead. MAC: aa:bb:cc:dd:ee:ff or\n"
        "      aa-bb-cc-dd-ee-ff.\n"
        "  probe ADDR|SUBNET... [--json] [--timeout MS] [--parallel N]\n"
        "      Tells why each terminal answers or not: \"alive\" (its agent answered\n"
        "      a request that changes nothing), \"refused\" (the host is there, its\n"
        "      agent is not running) or \"unreachable\" (no route, no host, or no\n"
        "      answer within MS milliseconds, default 1500). A SUBNET such as\n"
        "      192.168.1.0/24 stands for its hosts (without the network and\n"
        "      broadcast addresses), at most 65536 addresses in all. Up to N\n"
        "      (default 256, at most 512) are probed at once. --json prints one\n"
        "      object per line: address, state, detail and, with an answer, ms.\n"
        "  rollout PACKAGE (--targets LIST | --all-known) --batch N\n"
        "          --expect-version V [--max-failures K] [--timeout SECONDS]\n"
        "      Installs PACKAGE on the terminals, N at a time, as upload and update\n"
        "      do, then waits up to SECONDS (default 300) for each to report version\n"
        "      V (\"1.13\" matches a report of \"1.13(2024-01-01)\"). A terminal\n"
        "      that already reports V is left alone. No new batch starts once K\n"
        "      terminals failed (default 1). LIST: addresses and subnets separated\n"
        "      by commas; --all-known: every terminal of the inventory. The result\n"
        "      of each terminal is kept in the inventory database: the same rollout\n"
        "      (same package, same V) run again skips the terminals already done.\n"
        "      Prints a table of address, id, result, version and detail.\n"
        "  help\n"
        "      Prints this text (so do --help and -h).\n"
        "\n"
        "Addresses are dotted IPv4: four decimal numbers 0..255. An option's value\n"
        "may also be given as --option=VALUE. Names and values are sent as the\n"
        "bytes typed (UTF-8); report texts show as UTF-8 when they are, else as\n"
        "Latin-1.\n"
        "\n"
        "FILE is written only when the transfer is complete: the bytes go to a\n"
        "temporary file beside it, removed when the transfer fails. Exactly the\n"
        "announced length is read; a screenshot announced larger than 64 MiB, or\n"
        "a file or screenshot larger than the free space beside FILE, is refused.\n"
        "discover keeps the newest report of each sending address, for at most\n"
        "4096 terminals. discover and set-rdp record the reports they hear in\n"
        "the inventory, $XDG_DATA_HOME/termctl/inventory.sqlite (by default\n"
        "~/.local/share/termctl/); a terminal is known by its id, or by its MAC\n"
        "when its id is empty. Transfers show their progress when standard error is a\n"
        "terminal.\n"
        "\n"
        "Exit status: 0 on success, 1 on a network or protocol error or an error\n"
        "reply, 2 on an argument error or a local file that cannot be read or\n"
        "written (nothing is sent then).\n"
        "\n"
        "Examples:\n"
        "  termctl discover\n"
        "  termctl discover --to 192.168.1.255 --time 0.5 --json\n"
        "  termctl set-rdp 192.168.1.20 --server 10.1.1.1 --port 3389 --user alice "
        "--password-file pw.txt\n"
        "  termctl set-rdp 192.168.1.20 --user bob --password -\n"
        "  termctl reboot 192.168.1.20 192.168.1.21\n"
        "  termctl shutdown --to 192.168.1.255 192.168.1.20\n"
        "  termctl screenshot 192.168.1.20 -o screen.jpg\n"
        "  termctl upload 192.168.1.20 update.tar.gz && termctl update 192.168.1.20\n"
        "  termctl get 192.168.1.20 /etc/hostname_s -o hostname_s\n"
        "  termctl serve --listen 192.168.1.1:8080 --password-file dashboard.pw\n"
        "  termctl discover --to 192.168.1.255,192.168.2.255\n"
        "  termctl list --offline 60 --sort last-seen\n"
        "  termctl wake --subnet 192.168.2.0/24\n"
        "  termctl probe 192.168.1.0/24 --json\n"
        "  termctl rollout update.tar.gz --targets 192.168.1.0/24 --batch 10 "
        "--expect-version 1.13\n");
}
