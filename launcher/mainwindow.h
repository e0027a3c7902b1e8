#pragma once

#include <QMainWindow>

class Mainstackwidget;
class Usrmanger;
class Systemsetting;

namespace Ui {
class MainWindow;
}

// The launcher's one full-screen window: a background picture and, centred
// on it, the stack of the connection page, the profile manager and the
// settings area.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

public slots:
    void mainwindow_closesettingwdt();
    void mainwindow_closefirstloginwdt();
    void mainwindow_closeusrmangerwdt();
    void mainwindow_closefirstloginwdt_to_mangerwdt();

protected:
    // The display-reset keys, seen once per press before any widget can take them.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Mainstackwidget* m_mainstackwidget;
    Usrmanger* m_usrmanger;
    Systemsetting* m_systemsetting;
    Ui::MainWindow* ui;
    int m_screenWidth = 0;
    int m_screenHeight = 0;
};
