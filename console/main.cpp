#include "commandline.h"
#include "consoleclient.h"
#include "reporttable.h"

#include <QCoreApplication>

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

} // namespace

int main(int argc, char* argv[])
{
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
        if (!ConsoleClient::discover(command.destination, command.waitMs, reports, error)) {
            fail(error);
            return 1;
        }
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
    }
    return 2;
}
