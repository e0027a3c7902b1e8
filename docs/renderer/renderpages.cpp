// Renders the launcher's pages and dialogs to PNG files, for looking at the
// layout in both languages and at several screen sizes:
//   renderpages pages OUTPUT_PREFIX     writes OUTPUT_PREFIX-<shot>.png
//   renderpages settings OUTPUT_PREFIX  writes OUTPUT_PREFIX-settings-<shot>.png
// "pages" are the connection page, the sign-in and the user manager; "settings"
// the settings pages as a user sees them in the launcher's window. Each set
// starts in a window of its own, as the launcher starts. The screen size is
// the platform's (the offscreen platform takes it from its configfile), the
// language the one the peripheral file chooses. Run by
// scripts/render-pages.sh in the test sandbox, on a terminal tree seeded with
// the simulated device scripts.

#include "jyndebugonarm.h"
#include "launcherbuild.h"
#include "launcherfont.h"
#include "launchermessagebox.h"
#include "mainwindow.h"
#include "passwdsetting.h"
#include "sandbox.h"
#include "terminalattribution.h"
#include "mymessagebox.h"
#include "wificonnectdialog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QEventLoop>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPainter>
#include <QProcess>
#include <QTimer>

#include <cstdio>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <memory>

namespace {

const QString wifiDir = QStringLiteral("/opt/zoderer/configs/network/wificonfigs/");

void settle(int ms = 80)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

template <typename T = QWidget> T* find(const QObject* root, const char* name)
{
    T* widget = root->findChild<T*>(QLatin1String(name));
    if (!widget)
        std::fprintf(stderr, "renderpages: no widget %s\n", name);
    return widget;
}

void click(const QObject* root, const char* name)
{
    if (auto* button = find<QAbstractButton>(root, name))
        button->click();
    settle();
}

void type(const QObject* root, const char* name, const QString& text)
{
    if (auto* field = find<QLineEdit>(root, name))
        field->setText(text);
}

// A message box as the pages show it, grabbed without running its event loop.
QPixmap messageBox(QMessageBox::Icon icon, const QString& title, int textId,
                   QMessageBox::StandardButtons buttons)
{
    const std::unique_ptr<QMessageBox> box = LauncherMessageBox::create(
        icon, title, TerminalAttribution::getInstance()->getLanguage(textId), buttons);
    box->show();
    settle();
    return box->grab();
}

// The settings area, where every settings shot's page lives.
QWidget* hub(MainWindow& window)
{
    return find(&window, "Systemsetting");
}

WifiConnectDialog* openDialog()
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* dialog = qobject_cast<WifiConnectDialog*>(widget); dialog && dialog->isVisible())
            return dialog;
    }
    return nullptr;
}

// The window with the connect dialog where the screen shows it.
QPixmap withDialog(MainWindow& window)
{
    QPixmap pixmap = window.grab();
    if (WifiConnectDialog* dialog = openDialog()) {
        QPainter painter(&pixmap);
        painter.drawPixmap(dialog->pos() - window.pos(), dialog->grab());
    }
    return pixmap;
}

void runScript(const char* name)
{
    QProcess::execute(QStringLiteral("/opt/zoderer/login/setwifis/") + QLatin1String(name), {});
}

struct Shot
{
    const char* name;
    std::function<QPixmap(MainWindow&)> take;
};

struct BoxShot
{
    const char* name;
    int textId;
    QMessageBox::StandardButtons buttons;
};

// The information boxes the pages show, each with its text and buttons.
void addBoxes(QList<Shot>& list, std::initializer_list<BoxShot> boxes)
{
    for (const BoxShot& box : boxes) {
        list.append({box.name, [box](MainWindow&) {
                         return messageBox(QMessageBox::Information, QStringLiteral(" "),
                                           box.textId, box.buttons);
                     }});
    }
}

// The connection page's shots in order; each starts on the connection page
// and returns to it.
QList<Shot> pageShots()
{
    QList<Shot> list;
    list.append({"connection", [](MainWindow& window) { return window.grab(); }});
    if constexpr (!liteBuild) {
        list.append({"signin", [](MainWindow& window) {
                         click(&window, "pushButton_setting");
                         const QPixmap pixmap = window.grab();
                         click(find(&window, "logingwidget"), "pushButton_cancle");
                         return pixmap;
                     }});
        list.append({"signin-refused", [](MainWindow& window) {
                         click(&window, "pushButton_setting");
                         QWidget* login = find(&window, "logingwidget");
                         type(login, "lineEdit_passwd", QStringLiteral("wrong"));
                         click(login, "pushButton_signin");
                         const QPixmap pixmap = window.grab();
                         click(login, "pushButton_cancle");
                         return pixmap;
                     }});
        list.append({"countdown", [](MainWindow& window) {
                         auto* box = new mymessagebox(find(&window, "Mainstackwidget"));
                         box->set_Time(5);
                         box->show();
                         settle();
                         const QPixmap pixmap = window.grab();
                         delete box;
                         return pixmap;
                     }});
    }
    list.append({"usrmanger", [](MainWindow& window) {
                     click(&window, "pushButton_usrico");
                     // The full launcher asks for the administrator first.
                     if constexpr (!liteBuild) {
                         QWidget* login = find(&window, "logingwidget");
                         type(login, "lineEdit_passwd", QStringLiteral("kvsuper"));
                         click(login, "pushButton_signin");
                     }
                     const QPixmap pixmap = window.grab();
                     click(find(&window, "Usrmanger"), "pushButton_back");
                     return pixmap;
                 }});
    addBoxes(list,
             {{"box-invalidaddress", 69, QMessageBox::Yes},
              {"box-deleteprofile", 50, QMessageBox::Yes | QMessageBox::No},
              {"box-writefailed", 122, QMessageBox::Yes},
              {"box-pingfailed", 57, QMessageBox::Ok},
              {"box-nonetwork", 58, QMessageBox::Ok}});
    return list;
}

// The settings area's shots in order, reached from the connection page.
QList<Shot> settingsShots()
{
    QList<Shot> list;
    list.append({"display", [](MainWindow& window) {
                     window.mainwindow_closefirstloginwdt();
                     click(hub(window), "pushButton_displaysetting");
                     return window.grab();
                 }});
    list.append({"select", [](MainWindow& window) {
                     click(hub(window), "pushButton_lansetting");
                     return window.grab();
                 }});
    list.append({"wired", [](MainWindow& window) {
                     click(hub(window), "radioButton_wireline");
                     click(hub(window), "pbtn_ok");
                     QWidget* page = find(hub(window), "Networksetting");
                     click(page, "radioButton_staticip");
                     type(page, "lineEdit_autoip", QStringLiteral("192.168.1.20"));
                     type(page, "lineEdit_mask", QStringLiteral("255.255.255.0"));
                     type(page, "lineEdit_gateway", QStringLiteral("192.168.1.1"));
                     type(page, "lineEdit_dns1", QStringLiteral("192.168.1.1"));
                     return window.grab();
                 }});
    list.append(
        {"wifi", [](MainWindow& window) {
             // Associated with the saved network, as after an earlier connect.
             Sandbox::writeFile(wifiDir + QStringLiteral("../Networkselection"), "wireless");
             Sandbox::writeFile(
                 wifiDir + QStringLiteral("wpa_supplicant.conf"),
                 "ctrl_interface=/var/run/wpa_supplicant\nnetwork={\n        ssid=\"Office\"\n"
                 "        psk=\"office-2024\"\n}\n");
             runScript("connectwifi_defaul.sh");
             click(hub(window), "pushButton_lansetting");
             click(hub(window), "radioButton_wifi");
             click(hub(window), "pbtn_ok");
             click(hub(window), "pushButton_scan");
             settle(1500);
             return window.grab();
         }});
    list.append({"wificonnect", [](MainWindow& window) {
                     auto* networks = find<QListWidget>(hub(window), "listWidget_scan_result");
                     networks->setCurrentRow(2);
                     QMetaObject::invokeMethod(networks, "doubleClicked",
                                               Q_ARG(QModelIndex, networks->currentIndex()));
                     settle();
                     return withDialog(window);
                 }});
    list.append({"wificonnect-refused", [](MainWindow& window) {
                     WifiConnectDialog* dialog = openDialog();
                     type(dialog, "lineEdit_passworld", QStringLiteral("a\"b"));
                     click(dialog, "pushButton_connect");
                     return withDialog(window);
                 }});
    list.append({"wificonnect-connected", [](MainWindow& window) {
                     WifiConnectDialog* dialog = openDialog();
                     type(dialog, "lineEdit_passworld", QStringLiteral("welcome123"));
                     click(dialog, "checkBox_showpasswd");
                     click(dialog, "pushButton_connect");
                     for (int i = 0;
                          i < 100 && !find<QAbstractButton>(dialog, "pushButton_back")->isEnabled();
                          ++i)
                         settle(100);
                     const QPixmap pixmap = withDialog(window);
                     click(dialog, "pushButton_back");
                     return pixmap;
                 }});
    list.append({"wificonnect-longname", [](MainWindow&) {
                     WifiConnectDialog dialog(nullptr);
                     dialog.putinfo(QStringLiteral("Conference-Room-3rd-Floor-East-01"), QString());
                     dialog.show();
                     settle();
                     return dialog.grab();
                 }});
    list.append({"sound", [](MainWindow& window) {
                     click(hub(window), "pushButton_soundsetting");
                     return window.grab();
                 }});
    // The reduced build has no password page in its settings area; the page
    // is shown on its own.
    if constexpr (!liteBuild) {
        list.append({"passwd-refused", [](MainWindow& window) {
                         click(hub(window), "pushButton_passwdsetting");
                         QWidget* page = find(hub(window), "Passwdsetting");
                         type(page, "lineEdit_passwd", QStringLiteral("a b"));
                         click(page, "pushButton_save_new");
                         type(page, "lineEdit_oldpasswd", QStringLiteral("unknown"));
                         click(page, "pushButto_delete");
                         return window.grab();
                     }});
    } else {
        list.append({"passwd", [](MainWindow&) {
                         Passwdsetting page(nullptr);
                         page.show();
                         settle();
                         return page.grab();
                     }});
    }
    list.append({"netcheck", [](MainWindow& window) {
                     click(hub(window), "pushButton_netcheck");
                     // The reduced build checks its fixed server; the full one asks for an address.
                     if constexpr (!liteBuild)
                         type(find(hub(window), "Checknet"), "lineEdit_ip",
                              QStringLiteral("127.0.0.1"));
                     click(hub(window), "pushButton_check");
                     settle(2500);
                     return window.grab();
                 }});
    list.append({"sysinfo", [](MainWindow& window) {
                     click(hub(window), "pushButton_sysinfo");
                     return window.grab();
                 }});
    list.append({"box-networktype", [](MainWindow&) {
                     return messageBox(QMessageBox::Question, QStringLiteral("Question"), 94,
                                       QMessageBox::Yes | QMessageBox::No);
                 }});
    addBoxes(list,
             {{"box-invalidgateway", 71, QMessageBox::Yes},
              {"box-savenetwork", 48, QMessageBox::Yes | QMessageBox::No},
              {"box-display", 47, QMessageBox::Yes},
              {"box-sound", 49, QMessageBox::Yes | QMessageBox::No},
              {"box-recovery", 51, QMessageBox::Yes | QMessageBox::No}});
    return list;
}

} // namespace

int main(int argc, char* argv[])
{
    const bool settings = argc == 3 && std::strcmp(argv[1], "settings") == 0;
    if (!Sandbox::inside() || argc != 3 || (!settings && std::strcmp(argv[1], "pages") != 0)) {
        std::fprintf(stderr,
                     "usage: renderpages pages|settings OUTPUT_PREFIX (inside the test sandbox)\n");
        return 2;
    }
    QApplication app(argc, argv);
    // The sandbox does not cover "/", where the terminal keeps this log.
    if constexpr (liteBuild)
        jyndebugonarm::setFileName(QStringLiteral("/tmp/jyndebugfromqt.txt"));
    installLauncherFont();
    MainWindow window;
    window.show();
    // The connection page waits for one tick of the network indicator.
    settle(settings ? 300 : 1200);
    const QString prefix = QString::fromLocal8Bit(argv[2])
        + (settings ? QStringLiteral("-settings-") : QStringLiteral("-"));
    int failures = 0;
    for (const Shot& shot : settings ? settingsShots() : pageShots()) {
        const QString path = prefix + QLatin1String(shot.name) + QStringLiteral(".png");
        if (!shot.take(window).save(path)) {
            std::fprintf(stderr, "renderpages: cannot write %s\n", qPrintable(path));
            ++failures;
        }
    }
    // The next run starts with the radio as the tree was seeded.
    if (settings)
        runScript("connectwifi_fail.sh");
    return failures == 0 ? 0 : 1;
}
