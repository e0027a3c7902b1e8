// Renders every settings page and dialog, shown in the launcher's window as
// a user sees them, to PNG files:
//   rendersettings OUTPUT_PREFIX
// writes OUTPUT_PREFIX-settings-<shot>.png. Run by scripts/render-pages.sh in
// the sandbox, on a terminal tree seeded with the simulated device scripts.

#include "launcherfont.h"
#include "launchermessagebox.h"
#include "mainwindow.h"
#include "passwdsetting.h"
#include "sandbox.h"
#include "terminalattribution.h"
#include "wificonnectdialog.h"
#ifdef LAUNCHER_LITE
#include "jyndebugonarm.h"
#endif

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
#include <functional>
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
        std::fprintf(stderr, "rendersettings: no widget %s\n", name);
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

// The settings area, where every page of these shots lives.
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

QPixmap messageBox(QMessageBox::Icon icon, const QString& title, int textId, QMessageBox::StandardButtons buttons)
{
    const std::unique_ptr<QMessageBox> box =
        LauncherMessageBox::create(icon, title, TerminalAttribution::getInstance()->getLanguage(textId), buttons);
    box->show();
    settle();
    return box->grab();
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

QList<Shot> shots()
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
#ifndef LAUNCHER_LITE
    list.append({"passwd-refused", [](MainWindow& window) {
                     click(hub(window), "pushButton_passwdsetting");
                     QWidget* page = find(hub(window), "Passwdsetting");
                     type(page, "lineEdit_passwd", QStringLiteral("a b"));
                     click(page, "pushButton_save_new");
                     type(page, "lineEdit_oldpasswd", QStringLiteral("unknown"));
                     click(page, "pushButto_delete");
                     return window.grab();
                 }});
#else
    list.append({"passwd", [](MainWindow&) {
                     Passwdsetting page(nullptr);
                     page.show();
                     settle();
                     return page.grab();
                 }});
#endif
    list.append({"netcheck", [](MainWindow& window) {
                     click(hub(window), "pushButton_netcheck");
#ifndef LAUNCHER_LITE
                     type(find(hub(window), "Checknet"), "lineEdit_ip",
                          QStringLiteral("127.0.0.1"));
#endif
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
    list.append({"box-invalidgateway", [](MainWindow&) {
                     return messageBox(QMessageBox::Information, QStringLiteral(" "), 71,
                                       QMessageBox::Yes);
                 }});
    for (const auto& [name, id] : {std::pair{"box-savenetwork", 48}, std::pair{"box-display", 47},
                                   std::pair{"box-sound", 49}, std::pair{"box-recovery", 51}}) {
        const int textId = id;
        list.append({name, [textId](MainWindow&) {
                         return messageBox(QMessageBox::Information, QStringLiteral(" "), textId,
                                           textId == 47 ? QMessageBox::Yes : QMessageBox::Yes | QMessageBox::No);
                     }});
    }
    return list;
}

} // namespace

int main(int argc, char* argv[])
{
    if (!Sandbox::inside() || argc != 2) {
        std::fprintf(stderr, "usage: rendersettings OUTPUT_PREFIX (inside the test sandbox)\n");
        return 2;
    }
    QApplication app(argc, argv);
#ifdef LAUNCHER_LITE
    // The sandbox does not cover "/", where the terminal keeps this log.
    jyndebugonarm::setFileName(QStringLiteral("/tmp/jyndebugfromqt.txt"));
#endif
    installLauncherFont();
    MainWindow window;
    window.show();
    settle(300);
    const QString prefix = QString::fromLocal8Bit(argv[1]) + QStringLiteral("-settings-");
    int failures = 0;
    for (const Shot& shot : shots()) {
        const QString path = prefix + QLatin1String(shot.name) + QStringLiteral(".png");
        if (!shot.take(window).save(path)) {
            std::fprintf(stderr, "rendersettings: cannot write %s\n", qPrintable(path));
            ++failures;
        }
    }
    // The next renderer starts with the radio as the tree was seeded.
    runScript("connectwifi_fail.sh");
    return failures == 0 ? 0 : 1;
}
