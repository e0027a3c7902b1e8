#include "launcherfont.h"
#include "mainwindow.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    installLauncherFont();
    MainWindow window;
    window.show();
    return app.exec();
}
