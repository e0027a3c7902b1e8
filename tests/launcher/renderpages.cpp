// Renders every launcher page and dialog to PNG files, for looking at the
// layout in both languages and at several screen sizes:
//   renderpages OUTPUT_PREFIX
// writes OUTPUT_PREFIX-<shot>.png. The screen size is the platform's (the
// offscreen platform takes it from its configfile), the language the one the
// peripheral file chooses. Run by scripts/render-pages.sh in the sandbox.

#include "launcherfont.h"
#include "launchermessagebox.h"
#include "mainwindow.h"
#include "sandbox.h"
#include "terminalattribution.h"
#ifndef LAUNCHER_LITE
#include "mymessagebox.h"
#endif

#include <QAbstractButton>
#include <QApplication>
#include <QEventLoop>
#include <QLineEdit>
#include <QMessageBox>
#include <QStackedWidget>
#include <QTimer>

#include <cstdio>
#include <functional>
#include <memory>

namespace {

void settle(int ms = 50)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

template <typename T = QWidget>
T* find(const QObject* root, const char* name)
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

// A message box as the pages show it, grabbed without running its event loop.
QPixmap messageBox(QMessageBox::Icon icon, const QString& title, int textId, QMessageBox::StandardButtons buttons)
{
    const std::unique_ptr<QMessageBox> box =
        LauncherMessageBox::create(icon, title, TerminalAttribution::getInstance()->getLanguage(textId), buttons);
    box->show();
    settle();
    return box->grab();
}

struct Shot
{
    const char* name;
    std::function<QPixmap(MainWindow&)> take;
};

// The shots in order; each starts on the connection page and returns to it.
QList<Shot> shots()
{
    QList<Shot> list;
    list.append({"connection", [](MainWindow& window) { return window.grab(); }});
#ifndef LAUNCHER_LITE
    list.append({"signin", [](MainWindow& window) {
                     click(&window, "pushButton_setting");
                     const QPixmap pixmap = window.grab();
                     click(find(&window, "logingwidget"), "pushButton_cancle");
                     return pixmap;
                 }});
    list.append({"signin-refused", [](MainWindow& window) {
                     click(&window, "pushButton_setting");
                     QWidget* login = find(&window, "logingwidget");
                     find<QLineEdit>(login, "lineEdit_passwd")->setText(QStringLiteral("wrong"));
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
#endif
    list.append({"usrmanger", [](MainWindow& window) {
                     click(&window, "pushButton_usrico");
#ifndef LAUNCHER_LITE
                     QWidget* login = find(&window, "logingwidget");
                     find<QLineEdit>(login, "lineEdit_passwd")->setText(QStringLiteral("kvsuper"));
                     click(login, "pushButton_signin");
#endif
                     const QPixmap pixmap = window.grab();
                     click(find(&window, "Usrmanger"), "pushButton_back");
                     return pixmap;
                 }});
    list.append({"box-invalidaddress", [](MainWindow&) {
                     return messageBox(QMessageBox::Information, QStringLiteral(" "), 69, QMessageBox::Yes);
                 }});
    list.append({"box-deleteprofile", [](MainWindow&) {
                     return messageBox(QMessageBox::Information, QStringLiteral(" "), 50,
                                       QMessageBox::Yes | QMessageBox::No);
                 }});
    list.append({"box-writefailed", [](MainWindow&) {
                     return messageBox(QMessageBox::Information, QStringLiteral(" "), 122, QMessageBox::Yes);
                 }});
    list.append({"box-pingfailed", [](MainWindow&) {
                     return messageBox(QMessageBox::Information, QStringLiteral(" "), 57, QMessageBox::Ok);
                 }});
    list.append({"box-nonetwork", [](MainWindow&) {
                     return messageBox(QMessageBox::Information, QStringLiteral(" "), 58, QMessageBox::Ok);
                 }});
    return list;
}

}

int main(int argc, char* argv[])
{
    if (!Sandbox::inside() || argc != 2) {
        std::fprintf(stderr, "usage: renderpages OUTPUT_PREFIX (inside the test sandbox)\n");
        return 2;
    }
    QApplication app(argc, argv);
    installLauncherFont();
    MainWindow window;
    window.show();
    // One tick of the network indicator.
    settle(1200);
    const QString prefix = QString::fromLocal8Bit(argv[1]);
    int failures = 0;
    for (const Shot& shot : shots()) {
        const QString path = prefix + QLatin1Char('-') + QLatin1String(shot.name) + QStringLiteral(".png");
        if (!shot.take(window).save(path)) {
            std::fprintf(stderr, "renderpages: cannot write %s\n", qPrintable(path));
            ++failures;
        }
    }
    return failures == 0 ? 0 : 1;
}
