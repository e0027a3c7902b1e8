#include "config.h"

#include "medianrun.h"

#include <QCoreApplication>
#include <QNetworkInterface>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

// Cost of reading the interface table afresh, which the agent does before
// each report and each reboot or power-off match, against Qt's bare listing.
// Run in the sandbox: tests/sandbox/sandbox.sh [--if NAME=CIDR]... -- build/bench/bench_interfaces

namespace {

constexpr int Iterations = 2000;
constexpr int Repeats = 5;

volatile std::size_t sink = 0;

double measure(const std::function<void()>& body)
{
    return medianMicroseconds(body, Iterations, Repeats);
}

// The agent's debug lines would measure the terminal's log, not the table.
void quiet(QtMsgType, const QMessageLogContext&, const QString&) {}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    qInstallMessageHandler(quiet);
    Config* config = Config::getInstance();

    const auto bare = [] { sink = sink + QNetworkInterface::allInterfaces().size(); };
    const auto refresh = [config] { config->initNetworkInfo(); };
    // What one report asks of the configuration: the destination when the
    // request arrives, then its own address and the hardware address.
    const auto report = [config] {
        sink = sink + config->getBroadcast() + config->getAddress().toIPv4Address()
               + config->getHardAdress().size();
    };

    std::printf("interface table, %lld interfaces, median of %d x %d calls, microseconds per call\n",
                static_cast<long long>(QNetworkInterface::allInterfaces().size()), Repeats, Iterations);
    std::printf("  %-44s %8.1f\n", "QNetworkInterface::allInterfaces", measure(bare));
    std::printf("  %-44s %8.1f\n", "Config::initNetworkInfo (one refresh)", measure(refresh));
    std::printf("  %-44s %8.1f\n", "one report's look-ups (broadcast, own, eth0)", measure(report));
    return 0;
}
