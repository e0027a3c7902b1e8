#include "commandline.h"
#include "consoleclient.h"
#include "dashboardserver.h"
#include "inventory.h"
#include "inventorylisting.h"
#include "inventoryrecorder.h"
#include "probecommand.h"
#include "rdpsettings.h"
#include "reporttable.h"
#include "rollout.h"
#include "tcpcommands.h"

#include <QCoreApplication>
#include <QHostAddress>

#include <cstdio>

namespace {

void print(std::FILE* stream, const QString& text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
}

void fail(const QString& message)
{
    print(stderr, QStringLiteral("termctl: %1\n").arg(message));
}

int finish(int status, const QString& error)
{
    if (status != 0)
        fail(error);
    return status;
}

} // namespace

int main(int argc, char* argv[])
{
    // Names and values are sent as the bytes typed, and Qt reads arguments as
    // UTF-8: one that is not would reach the terminal changed.
    for (int i = 1; i < argc; ++i) {
        if (QString::fromLocal8Bit(argv[i]).toLocal8Bit() != argv[i]) {
            fail(QStringLiteral("argument %1 is not UTF-8 text, and would not be sent as typed "
                                "(a password in another encoding can come from --password-file)")
                     .arg(i));
            return 2;
        }
    }
    QCoreApplication app(argc, argv);
    const CommandLine command = CommandLine::parse(QCoreApplication::arguments().mid(1));
    QString error;
    switch (command.action) {
    case CommandLine::Action::Help:
        print(stdout, CommandLine::usage());
        return 0;
    case CommandLine::Action::Usage:
        print(stderr, CommandLine::usage());
        return 2;
    case CommandLine::Action::Invalid:
        fail(command.error);
        print(stderr, QStringLiteral("Try 'termctl --help'.\n"));
        return 2;
    case CommandLine::Action::Discover: {
        ReportTable reports;
        if (!ConsoleClient::discover(command.destinations, command.waitMs, reports, error)) {
            fail(error);
            return 1;
        }
        InventoryRecorder::keep(reports);
        print(stdout, command.json ? reports.jsonLines() : reports.table());
        if (reports.empty())
            fail(QStringLiteral("no terminal answered"));
        return 0;
    }
    case CommandLine::Action::Send:
        if (!ConsoleClient::send(command.key, command.content, command.destination, error)) {
            fail(error);
            return 1;
        }
        return 0;
    case CommandLine::Action::SetRdp:
        return finish(RdpSettings::run(command, error), error);
    case CommandLine::Action::Screenshot:
        return finish(TcpCommands::screenshot(command.destination, command.localPath, error), error);
    case CommandLine::Action::Get:
        return finish(TcpCommands::get(command.destination, command.remotePath, command.localPath,
                                       error),
                      error);
    case CommandLine::Action::Upload: {
        const int status = TcpCommands::upload(command.destination, command.localPath, error);
        if (status == 0)
            print(stdout, QStringLiteral("uploaded %1; 'termctl update %2' installs it\n")
                              .arg(command.localPath, QHostAddress(command.destination).toString()));
        return finish(status, error);
    }
    case CommandLine::Action::Update: {
        QString reply;
        const int status = TcpCommands::update(command.destination, reply, error);
        if (!reply.isEmpty())
            print(stdout, reply + QLatin1Char('\n'));
        return finish(status, error);
    }
    case CommandLine::Action::Serve:
        return finish(DashboardServer::run(command, error), error);
    case CommandLine::Action::List: {
        QString output;
        const int status = InventoryListing::run(command.query, command.json, output, error);
        print(stdout, output);
        return finish(status, error);
    }
    case CommandLine::Action::Wake: {
        QString output;
        const int status = WakeOnLan::run(command.wake, output, error);
        print(stdout, output);
        return finish(status, error);
    }
    case CommandLine::Action::Probe:
        return finish(ProbeCommand::run(command, error), error);
    case CommandLine::Action::Rollout:
        return finish(Rollout::run(command, Inventory::defaultPath(), error), error);
    }
    return 2;
}
