#include "mainwindow.h"
#include "ui_mainwindow.h"

#include "backgroundpicture.h"
#include "devicepaths.h"
#include "mainstackwidget.h"
#include "scriptrunner.h"
#include "systemsetting.h"
#include "usrmanger.h"

#include <QKeyEvent>
#include <QPalette>
#include <QPixmap>
#include <QScreen>

namespace {
#ifdef LAUNCHER_LITE
const QString background = QStringLiteral(":/images/1366x768.png");
#else
const QString background = QStringLiteral(":/images/1920X1080.png");
#endif
}

MainWindow::MainWindow(QWidget* parent)
    : QMainWindow(parent)
    , ui(new Ui::MainWindow)
{
    // The background is decoded on another core while the pages are built.
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    std::future<QImage> shown = BackgroundPicture::startReading(background, screen.size());

    ui->setupUi(this);
#ifdef LAUNCHER_LITE
    ScriptRunner::startDetached(QStringLiteral(ARMBOXINITSCRIPT));
#endif
    setAutoFillBackground(true);

    m_screenWidth = screen.right() - screen.left() + 1;
    m_screenHeight = screen.bottom() - screen.top() + 1;
    resize(m_screenWidth, m_screenHeight);
    ui->stackedWidget->move((m_screenWidth - ui->stackedWidget->width()) / 2,
                            (m_screenHeight - ui->stackedWidget->height()) / 2);

    // A texture brush: the picture is tiled, not scaled to the screen, so
    // only its screen-sized top left part is ever seen and read.
    QPalette windowPalette = palette();
    windowPalette.setBrush(QPalette::Window, QBrush(QPixmap::fromImage(shown.get())));
    setPalette(windowPalette);

    m_mainstackwidget = new Mainstackwidget(ui->stackedWidget);
    m_usrmanger = new Usrmanger(ui->stackedWidget);
    m_systemsetting = new Systemsetting(ui->stackedWidget);
    ui->stackedWidget->addWidget(m_mainstackwidget);
    ui->stackedWidget->addWidget(m_usrmanger);
    ui->stackedWidget->addWidget(m_systemsetting);

    ui->stackedWidget->setCurrentWidget(m_mainstackwidget);
#ifndef LAUNCHER_LITE
    // A countdown opened by show() is centred in the page at its final size.
    m_mainstackwidget->resize(ui->stackedWidget->size());
    m_mainstackwidget->show();
#endif

    connect(m_mainstackwidget, &Mainstackwidget::close_firtlogin_siger, this,
            &MainWindow::mainwindow_closefirstloginwdt);
    connect(m_mainstackwidget, &Mainstackwidget::close_firtlogin_siger_usrmanger, this,
            &MainWindow::mainwindow_closefirstloginwdt_to_mangerwdt);
    connect(m_systemsetting, &Systemsetting::close_setting_siger, this, &MainWindow::mainwindow_closesettingwdt);
    connect(m_usrmanger, &Usrmanger::close_usrmangerr_siger, this, &MainWindow::mainwindow_closeusrmangerwdt);
}

MainWindow::~MainWindow()
{
    delete ui;
}

void MainWindow::mainwindow_closesettingwdt()
{
    ui->stackedWidget->setCurrentWidget(m_mainstackwidget);
#ifndef LAUNCHER_LITE
    // The settings may have changed the profiles.
    m_mainstackwidget->combox_init();
#endif
}

void MainWindow::mainwindow_closefirstloginwdt()
{
#ifndef LAUNCHER_LITE
    m_systemsetting->fistdisplay();
#endif
    ui->stackedWidget->setCurrentWidget(m_systemsetting);
}

void MainWindow::mainwindow_closeusrmangerwdt()
{
    ui->stackedWidget->setCurrentWidget(m_mainstackwidget);
    m_mainstackwidget->combox_init();
}

void MainWindow::mainwindow_closefirstloginwdt_to_mangerwdt()
{
    ui->stackedWidget->setCurrentWidget(m_usrmanger);
    m_usrmanger->show();
}

void MainWindow::keyPressEvent(QKeyEvent* event)
{
    static int count = 0;
#ifndef LAUNCHER_LITE
    if (event->modifiers() == (Qt::ControlModifier | Qt::AltModifier) && event->key() == Qt::Key_R) {
        ScriptRunner::execute(QStringLiteral(RESETDISPLAYSCRIPT));
        QMainWindow::keyPressEvent(event);
        return;
    }
#endif
    if (event->key() == Qt::Key_F1 && event->type() == QEvent::KeyPress) {
        ++count;
        if (count > 99)
            ScriptRunner::execute(QStringLiteral(RESETDISPLAYSCRIPT));
    }
    QMainWindow::keyPressEvent(event);
}
