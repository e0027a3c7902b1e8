// The settings area's cost on the terminal, run by bench/settings.sh in the
// sandbox on a tree seeded with the simulated device scripts:
//   bench_settings tick SECONDS   how long the GUI thread is held per status
//                                 tick of the Wi-Fi page, against a tick that
//                                 waits for the status script
//   bench_settings memory         the launcher's peak memory after visiting
//                                 every settings page and the connect dialog

#include "jyndebugonarm.h"
#include "launcherbuild.h"
#include "mainwindow.h"
#include "scriptrunner.h"
#include "scriptsequence.h"
#include "wificonnectdialog.h"
#include "wifinetworksetting.h"
#include "wifistatus.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QListWidget>
#include <QTimer>

#include <algorithm>
#include <cstdio>

namespace {

void settle(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// A /proc/self/status value in KiB.
long statusKib(const char* key)
{
    QFile file(QStringLiteral("/proc/self/status"));
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (line.startsWith(key))
            return line.mid(qstrlen(key)).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

double percentile(QList<double> values, double p)
{
    if (values.isEmpty())
        return 0;
    std::sort(values.begin(), values.end());
    return values.at(qMin(values.size() - 1, qsizetype(p * double(values.size()))));
}

// Times the events that the Wi-Fi page's status tick consists of: its
// timer, and the process it runs (start-up and end notifiers, the reading of
// the status file that follows), summed per tick.
class TickTimingApplication : public QApplication
{
public:
    using QApplication::QApplication;

    WifiNetworksetting* page = nullptr;
    QTimer* tickTimer = nullptr;
    QList<double> perTick;

    bool notify(QObject* receiver, QEvent* event) override
    {
        if (m_depth > 0 || !page || !belongsToTick(receiver))
            return QApplication::notify(receiver, event);
        if (receiver == tickTimer && event->type() == QEvent::Timer && m_ticks++ > 0) {
            perTick << m_current;
            m_current = 0;
        }
        ++m_depth;
        QElapsedTimer timer;
        timer.start();
        const bool result = QApplication::notify(receiver, event);
        m_current += double(timer.nsecsElapsed()) / 1e6;
        --m_depth;
        return result;
    }

private:
    bool belongsToTick(QObject* object) const
    {
        for (; object && object != page; object = object->parent()) {
            if (object == tickTimer || qobject_cast<ScriptSequence*>(object))
                return true;
        }
        return false;
    }

    int m_depth = 0;
    int m_ticks = 0;
    double m_current = 0;
};

int tick(TickTimingApplication& app, int seconds)
{
    WifiNetworksetting page(nullptr);
    page.show();
    app.tickTimer = page.findChild<QTimer*>();
    app.page = &page;
    settle(seconds * 1000 + 500);
    app.page = nullptr;
    std::printf(
        "status tick as built (script started, its end awaited by the event loop), %lld ticks:\n",
        static_cast<long long>(app.perTick.size()));
    std::printf("  GUI held per tick: median %.2f ms, p95 %.2f ms, max %.2f ms\n",
                percentile(app.perTick, 0.5), percentile(app.perTick, 0.95),
                percentile(app.perTick, 1.0));

    // A tick that waits for the script in the GUI thread holds it this long.
    QList<double> blocking;
    for (int i = 0; i < seconds; ++i) {
        QElapsedTimer timer;
        timer.start();
        ScriptRunner::execute(QStringLiteral("/opt/zoderer/login/setwifis/check_wifi_status.sh"));
        WifiStatus status;
        WifiStatus::read(
            QStringLiteral("/opt/zoderer/configs/network/wificonfigs/check_wifi_status.txt"),
            &status);
        blocking << double(timer.nsecsElapsed()) / 1e6;
    }
    std::printf("a tick that waits for the status script, %d ticks:\n", seconds);
    std::printf("  GUI held per tick: median %.2f ms, p95 %.2f ms, max %.2f ms\n",
                percentile(blocking, 0.5), percentile(blocking, 0.95), percentile(blocking, 1.0));
    return 0;
}

void click(QObject* root, const char* name)
{
    if (auto* button = root->findChild<QAbstractButton*>(QLatin1String(name)))
        button->click();
    else
        std::fprintf(stderr, "bench_settings: no button %s\n", name);
    settle(50);
}

int memory()
{
    MainWindow window;
    window.show();
    settle(1200);
    const long atStart = statusKib("VmHWM:");
    window.mainwindow_closefirstloginwdt();
    QObject* hub = window.findChild<QObject*>(QStringLiteral("Systemsetting"));
    for (const char* button :
         {"pushButton_displaysetting", "pushButton_soundsetting", "pushButton_passwdsetting",
          "pushButton_netcheck", "pushButton_sysinfo", "pushButton_lansetting",
          "radioButton_wireline", "pbtn_ok"})
        click(hub, button);
    QFile selection(QStringLiteral("/opt/zoderer/configs/network/Networkselection"));
    if (selection.open(QIODevice::WriteOnly))
        selection.write("wireless");
    selection.close();
    for (const char* button :
         {"pushButton_lansetting", "radioButton_wifi", "pbtn_ok", "pushButton_scan"})
        click(hub, button);
    settle(1500);
    auto* networks = hub->findChild<QListWidget*>(QStringLiteral("listWidget_scan_result"));
    for (int row = 0; row < networks->count(); ++row) {
        networks->setCurrentRow(row);
        QMetaObject::invokeMethod(networks, "doubleClicked",
                                  Q_ARG(QModelIndex, networks->currentIndex()));
        settle(100);
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (auto* dialog = qobject_cast<WifiConnectDialog*>(widget);
                dialog && dialog->isVisible())
                click(dialog, "pushButton_back");
        }
    }
    settle(1200);
    window.mainwindow_closesettingwdt();
    settle(200);
    std::printf("launcher memory: peak %ld KiB after start, peak %ld KiB after every settings page "
                "(%lld networks opened), now %ld KiB resident\n",
                atStart, statusKib("VmHWM:"), static_cast<long long>(networks->count()),
                statusKib("VmRSS:"));
    return 0;
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariable("TERMINAL_SANDBOX") != QLatin1String("1") || argc < 2) {
        std::fprintf(stderr,
                     "usage (in the sandbox, see bench/settings.sh): bench_settings tick SECONDS | "
                     "memory\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    TickTimingApplication app(argc, argv);
    // The sandbox does not cover "/", where launcher-lite keeps this log.
    if constexpr (liteBuild)
        jyndebugonarm::setFileName(QStringLiteral("/tmp/jyndebugfromqt.txt"));
    if (qstrcmp(argv[1], "tick") == 0)
        return tick(app, argc > 2 ? atoi(argv[2]) : 20);
    return memory();
}
