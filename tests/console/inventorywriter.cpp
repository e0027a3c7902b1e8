// One of two processes recording into one inventory at once:
//   inventorywriter PATH PREFIX COUNT
// records COUNT reports with the ids PREFIX-0 and up, each in a write of its own.
#include "inventory.h"
#include "sandbox.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char* argv[])
{
    if (!Sandbox::guard(argv[0]) || argc != 4)
        return 2;
    QCoreApplication app(argc, argv);
    Inventory inventory(QString::fromLocal8Bit(argv[1]));
    QString error;
    if (!inventory.open(error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    const int count = std::atoi(argv[3]);
    for (int i = 0; i < count; ++i) {
        TerminalInfo report;
        report.id = std::string(argv[2]) + "-" + std::to_string(i);
        report.ip = "10.0." + std::to_string(i / 250) + "." + std::to_string(i % 250 + 1);
        if (!inventory.record(report, QDateTime::currentDateTimeUtc(), error)) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return 1;
        }
    }
    return 0;
}
