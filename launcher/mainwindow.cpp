#include "mainwindow.h"
#include "ui_mainwindow.h"

#include "backgroundpicture.h"
#include "devicepaths.h"
#include "launcherbuild.h"
#include "mainstackwidget.h"
#include "scriptrunner.h"
#include "systemsetting.h"
#include "usrmanger.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPalette>
#include <QPixmap>
#include <QScreen>

namespace {
const QString background = liteBuild ? QStringLiteral(":/images/1366x768.png") : QStringLiteral(":/images/1920X1080.png");
}

MainWindow::MainWindow(QWidget* parent)
    : QMainWindow(parent)
    , ui(new Ui::MainWindow)
{
    // The background is decoded on another core while the pages are built.
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    std::future<QImage> shown = BackgroundPicture::startReading(background, screen.size());

    ui->setupUi(this);
    if constexpr (liteBuild)
        ScriptRunner::startDetached(QStringLiteral(ARMBOXINITSCRIPT));
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
    if constexpr (!liteBuild) {
        // A countdown opened by show() is centred in the page at its final size.
        m_mainstackwidget->resize(ui->stackedWidget->size());
        m_mainstackwidget->show();
    }

    connect(m_mainstackwidget, &Mainstackwidget::close_firtlogin_siger, this,
            &MainWindow::mainwindow_closefirstloginwdt);
    connect(m_mainstackwidget, &Mainstackwidget::close_firtlogin_siger_usrmanger, this,
            &MainWindow::mainwindow_closefirstloginwdt_to_mangerwdt);
    connect(m_systemsetting, &Systemsetting::close_setting_siger, this, &MainWindow::mainwindow_closesettingwdt);
    connect(m_usrmanger, &Usrmanger::close_usrmangerr_siger, this, &MainWindow::mainwindow_closeusrmangerwdt);
    qApp->installEventFilter(this);
}

MainWindow::~MainWindow()
{
    delete ui;
}

void MainWindow::mainwindow_closesettingwdt()
{
    ui->stackedWidget->setCurrentWidget(m_mainstackwidget);
    // The full launcher's settings may have changed the profiles.
    if constexpr (!liteBuild)
        m_mainstackwidget->combox_init();
}

void MainWindow::mainwindow_closefirstloginwdt()
{
    // Launcher-lite's settings area has no display page to open first.
    if constexpr (!liteBuild)
        m_systemsetting->fistdisplay();
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

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    // A key goes to the focused window first, then to the focused widget and
    // up its parents; only the window's delivery is counted, so each press is
    // seen exactly once, whatever has the focus and whether it takes the key.
    if (event->type() != QEvent::KeyPress || !watched->isWindowType())
        return QMainWindow::eventFilter(watched, event);
    static int count = 0;
    const auto* key = static_cast<QKeyEvent*>(event);
    // A held key repeats; the rules count presses.
    const bool pressed = !key->isAutoRepeat();
    if (!liteBuild && key->modifiers() == (Qt::ControlModifier | Qt::AltModifier) && key->key() == Qt::Key_R) {
        if (pressed)
            ScriptRunner::execute(QStringLiteral(RESETDISPLAYSCRIPT));
        // A service combination, not typing: nothing else sees it.
        return true;
    }
    if (pressed && key->key() == Qt::Key_F1) {
        ++count;
        if (count > 99)
            ScriptRunner::execute(QStringLiteral(RESETDISPLAYSCRIPT));
    }
    return QMainWindow::eventFilter(watched, event);
}
