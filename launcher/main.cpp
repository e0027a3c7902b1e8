#include "launcherfont.h"
#include "mainwindow.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    // On the framebuffer Qt's evdev keyboard ends the program on
    // Ctrl+Alt+Backspace, which would let any user out of the kiosk. The input
    // handlers read their parameters when the application is created; a value
    // the administrator set for the terminal is left as it is.
    if (!qEnvironmentVariableIsSet("QT_QPA_EVDEV_KEYBOARD_PARAMETERS"))
        qputenv("QT_QPA_EVDEV_KEYBOARD_PARAMETERS", "disable-zap");
    QApplication app(argc, argv);
    installLauncherFont();
    MainWindow window;
    window.show();
    return app.exec();
}
