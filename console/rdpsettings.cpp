#include "rdpsettings.h"

#include "commandline.h"
#include "consoleclient.h"
#include "inventoryrecorder.h"
#include "jsontext.h"
#include "reporttable.h"

#include <QFile>
#include <QHostAddress>

#include <csignal>
#include <cstdio>
#include <iterator>
#include <termios.h>
#include <unistd.h>

namespace {

termios savedTerminal;

// Ctrl-C at the prompt must not leave the terminal without echo.
void restoreAndRaise(int signal)
{
    ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &savedTerminal);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

// Echo off while this lives, when asked for and standard input is a terminal.
class HiddenInput
{
public:
    explicit HiddenInput(bool wanted)
        : m_active(wanted && ::isatty(STDIN_FILENO) == 1
                   && ::tcgetattr(STDIN_FILENO, &savedTerminal) == 0)
    {
        if (!m_active)
            return;
        std::signal(SIGINT, restoreAndRaise);
        std::signal(SIGTERM, restoreAndRaise);
        termios quiet = savedTerminal;
        quiet.c_lflag &= ~tcflag_t(ECHO);
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
        std::fputs("Password: ", stderr);
        std::fflush(stderr);
    }
    ~HiddenInput()
    {
        if (!m_active)
            return;
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &savedTerminal);
        std::signal(SIGINT, SIG_DFL);
        std::signal(SIGTERM, SIG_DFL);
        std::fputs("\n", stderr); // the line end typed was not echoed
    }
    HiddenInput(const HiddenInput&) = delete;
    HiddenInput& operator=(const HiddenInput&) = delete;

private:
    bool m_active;
};

} // namespace

std::string RdpSettings::content(const std::map<std::string, std::string>& given,
                                 const Json::Value* report)
{
    Json::Value settings(Json::objectValue);
    for (const char* member : Members) {
        const auto value = given.find(member);
        if (value != given.end())
            settings[member] = value->second;
        else if (report != nullptr && (*report)[member].isString())
            settings[member] = (*report)[member].asString();
        else
            settings[member] = "";
    }
    std::string text = JsonText::write(settings);
    text.pop_back(); // the writer's closing line feed
    return text;
}

bool RdpSettings::readPassword(const QString& file, std::string& password, QString& error)
{
    const bool standardInput = file == QLatin1String("-");
    QFile input(standardInput ? QString() : file);
    const bool opened = standardInput ? input.open(stdin, QIODevice::ReadOnly)
                                      : input.open(QIODevice::ReadOnly);
    QByteArray line;
    if (opened) {
        const HiddenInput hidden(standardInput);
        line = input.readLine();
    }
    if (!opened || input.error() != QFileDevice::NoError) {
        error = QStringLiteral("cannot read the password from %1: %2")
                    .arg(standardInput ? QStringLiteral("standard input") : file, input.errorString());
        return false;
    }
    if (line.endsWith('\n'))
        line.chop(1);
    password = line.toStdString();
    return true;
}

int RdpSettings::run(const CommandLine& command, QString& error)
{
    std::map<std::string, std::string> given = command.settings;
    if (!command.passwordFile.isEmpty()) {
        std::string password;
        if (!readPassword(command.passwordFile, password, error))
            return 2;
        given["RDP_PASSWORD"] = password;
    }
    ReportTable reports;
    const Json::Value* report = nullptr;
    if (given.size() < std::size(Members)) {
        const std::string address = QHostAddress(command.destination).toString().toStdString();
        if (!ConsoleClient::discover({command.destination}, CommandLine::DefaultWaitMs, reports,
                                     error, address))
            return 1;
        InventoryRecorder::keep(reports);
        report = reports.find(address);
        if (report == nullptr) {
            error = QStringLiteral("the terminal %1 did not report its settings within %2 s, so "
                                   "those left out could not be kept; nothing was sent (give all "
                                   "four to send them without asking)")
                        .arg(QString::fromStdString(address))
                        .arg(CommandLine::DefaultWaitMs / 1000);
            return 1;
        }
    }
    return ConsoleClient::send(command.key, content(given, report), command.destination, error) ? 0 : 1;
}
