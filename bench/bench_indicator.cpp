// The connection page's cost on the terminal, run by bench/indicator.sh in
// the sandbox on a tree seeded with the simulated device scripts:
//   bench_indicator TICKS   how long the GUI thread is held per network
//                           indicator tick (wired, with an address), and how
//                           long the main window takes to build
// The tick reads the mode file and queries the interfaces every second.

#include "mainstackwidget.h"
#include "mainwindow.h"

#include <QApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

int main(int argc, char* argv[])
{
    if (qgetenv("TERMINAL_SANDBOX") != "1" || argc != 2) {
        std::fprintf(stderr, "usage: bench_indicator TICKS (inside the test sandbox)\n");
        return 2;
    }
    QApplication app(argc, argv);
    const int ticks = std::max(1, std::atoi(argv[1]));

    QElapsedTimer clock;
    clock.start();
    MainWindow window;
    window.show();
    QApplication::processEvents();
    const double buildMs = double(clock.nsecsElapsed()) / 1e6;

    auto* page = window.findChild<Mainstackwidget*>();
    QList<double> micros;
    for (int tick = 0; tick < ticks; ++tick) {
        clock.restart();
        page->update_ipaddr_fun();
        micros << double(clock.nsecsElapsed()) / 1e3;
    }
    std::sort(micros.begin(), micros.end());
    std::printf("main window built and shown: %.1f ms\n", buildMs);
    std::printf("indicator tick over %d ticks: median %.1f us, p99 %.1f us, max %.1f us\n", ticks,
                micros.at(micros.size() / 2), micros.at(std::min(micros.size() - 1, qsizetype(micros.size() * 0.99))),
                micros.last());
    return 0;
}
