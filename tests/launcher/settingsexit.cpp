// Runs one settings action in a fresh process, for the cases in which the
// launcher ends itself: settingsexit ACTION [NAME]. Exits with 3 when the
// action returned and the launcher would have gone on.
#include "sandbox.h"
#include "systemsetting.h"
#include "wifinetworksetting.h"
#ifdef LAUNCHER_LITE
#include "jyndebugonarm.h"
#endif

#include <QApplication>
#include <QListWidget>
#include <QTimer>

#include <cstdio>
#include <memory>

int main(int argc, char* argv[])
{
    if (!Sandbox::inside() || argc < 2) {
        std::fprintf(stderr, "usage (in the test sandbox only): %s ACTION [NAME]\n", argv[0]);
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
#ifdef LAUNCHER_LITE
    jyndebugonarm::setFileName(QStringLiteral("/tmp/jyndebug.txt"));
#endif
    const QString action = QString::fromLocal8Bit(argv[1]);
    const QString name = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();
    std::unique_ptr<QWidget> page;
    if (action == QLatin1String("select") || action == QLatin1String("apply")) {
        auto* hub = new Systemsetting(nullptr);
        page.reset(hub);
        if (action == QLatin1String("select"))
            hub->networkselectdlg_fun();
        else
            hub->networksettingdlg_fun(1);
    } else {
        auto* wifi = new WifiNetworksetting(nullptr);
        page.reset(wifi);
        if (action == QLatin1String("scan")) {
            wifi->on_pushButton_scan_clicked();
        } else if (action == QLatin1String("open")) {
            auto* list = wifi->findChild<QListWidget*>(QStringLiteral("listWidget_scan_result"));
            list->addItem(name);
            list->setCurrentRow(0);
            wifi->on_listWidget_scan_result_doubleClicked(list->currentIndex());
        }
    }
    // The status tick comes a second after start; the other actions end sooner.
    const int patience = action == QLatin1String("status") ? 5000 : 3000;
    QTimer::singleShot(patience, &app, [] { QCoreApplication::exit(3); });
    return app.exec();
}
