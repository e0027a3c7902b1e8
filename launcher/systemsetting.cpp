#include "systemsetting.h"
#include "ui_systemsetting.h"

#include "checknet.h"
#include "devicepaths.h"
#include "displaysetting.h"
#include "launchermessagebox.h"
#include "networkselection.h"
#include "networksetting.h"
#include "passwdsetting.h"
#include "requiredfile.h"
#include "scriptrunner.h"
#include "selectnetdialog.h"
#include "soundsetting.h"
#include "systermifno.h"
#include "terminalattribution.h"
#include "wifinetworksetting.h"


Systemsetting::Systemsetting(QWidget* parent)
    : QWidget(parent)
    , ui(new Ui::Systemsetting)
{
    ui->setupUi(this);
    connect(ui->pushButton_back, &QPushButton::clicked, this, &Systemsetting::close_setting_wdt);

    m_display = new Displaysetting(ui->stackedWidget);
    m_network = new Networksetting(ui->stackedWidget);
    m_sound = new Soundsetting(ui->stackedWidget);
#ifndef LAUNCHER_LITE
    m_passwd = new Passwdsetting(ui->stackedWidget);
#endif
    m_checknet = new Checknet(ui->stackedWidget);
    m_sysinfo = new Systermifno(ui->stackedWidget);
    m_selectnet = new SelectNetDialog(ui->stackedWidget);
    m_wifi = new WifiNetworksetting(ui->stackedWidget);

    ui->stackedWidget->addWidget(m_display);
    ui->stackedWidget->addWidget(m_network);
    ui->stackedWidget->addWidget(m_sound);
#ifndef LAUNCHER_LITE
    ui->stackedWidget->addWidget(m_passwd);
#endif
    ui->stackedWidget->addWidget(m_checknet);
    ui->stackedWidget->addWidget(m_sysinfo);
    ui->stackedWidget->addWidget(m_selectnet);
    ui->stackedWidget->addWidget(m_wifi);
    ui->stackedWidget->setCurrentWidget(m_display);

    connect(ui->pushButton_displaysetting, &QPushButton::clicked, this,
            &Systemsetting::displaysettingdlg_fun);
    connect(ui->pushButton_lansetting, &QPushButton::clicked, this,
            &Systemsetting::networkselectdlg_fun);
    connect(ui->pushButton_soundsetting, &QPushButton::clicked, this,
            &Systemsetting::soundsettingdlg_fun);
#ifndef LAUNCHER_LITE
    connect(ui->pushButton_passwdsetting, &QPushButton::clicked, this,
            &Systemsetting::passwdsettingdlg_fun);
#else
    ui->pushButton_passwdsetting->setEnabled(false);
    ui->pushButton_passwdsetting->hide();
#endif
    connect(ui->pushButton_netcheck, &QPushButton::clicked, this, &Systemsetting::checknetdlg_fun);
    connect(ui->pushButton_sysinfo, &QPushButton::clicked, this, &Systemsetting::systeminfo_fun);
    connect(m_selectnet, &SelectNetDialog::selectnetsignal, this,
            &Systemsetting::networksettingdlg_fun);
    setlanguage();
}

Systemsetting::~Systemsetting()
{
    delete ui;
}

#ifndef LAUNCHER_LITE
void Systemsetting::fistdisplay()
{
    ui->stackedWidget->setCurrentWidget(m_display);
    m_display->show();
}
#endif

void Systemsetting::setlanguage()
{
    TerminalAttribution* texts = TerminalAttribution::getInstance();
    // A caption is plain text: an "&" in it is shown, not taken as a shortcut.
    const auto caption = [texts](int id) {
        return texts->getLanguage(id).replace(QLatin1Char('&'), QStringLiteral("&&"));
    };
#ifndef LAUNCHER_LITE
    ui->pushButton_passwdsetting->setText(caption(101));
#endif
    ui->pushButton_displaysetting->setText(caption(16));
    ui->pushButton_lansetting->setText(caption(17));
    ui->pushButton_soundsetting->setText(caption(18));
    ui->pushButton_netcheck->setText(caption(19));
    ui->pushButton_sysinfo->setText(caption(20));
    ui->pushButton_back->setText(caption(15));
}

void Systemsetting::close_setting_wdt()
{
    emit close_setting_siger();
}

void Systemsetting::displaysettingdlg_fun()
{
    ui->stackedWidget->setCurrentWidget(m_display);
#ifndef LAUNCHER_LITE
    m_display->show();
#endif
}

void Systemsetting::soundsettingdlg_fun()
{
    ui->stackedWidget->setCurrentWidget(m_sound);
#ifndef LAUNCHER_LITE
    m_sound->show();
#endif
}

#ifndef LAUNCHER_LITE
void Systemsetting::passwdsettingdlg_fun()
{
    ui->stackedWidget->setCurrentWidget(m_passwd);
    m_passwd->show();
}
#endif

void Systemsetting::checknetdlg_fun()
{
    ui->stackedWidget->setCurrentWidget(m_checknet);
#ifndef LAUNCHER_LITE
    m_checknet->show();
#endif
}

void Systemsetting::systeminfo_fun()
{
    ui->stackedWidget->setCurrentWidget(m_sysinfo);
}

#ifdef LAUNCHER_LITE

void Systemsetting::networkselectdlg_fun()
{
    ui->stackedWidget->setCurrentWidget(m_selectnet);
}

void Systemsetting::networksettingdlg_fun(int type)
{
    if (type == 1)
        ui->stackedWidget->setCurrentWidget(m_network);
    else
        ui->stackedWidget->setCurrentWidget(m_wifi);
}

#else

bool Systemsetting::readNetworkType(QString* type)
{
    if (NetworkSelection::read(type))
        return true;
    RequiredFile::missing(NetworkSelection::path() + QStringLiteral(" open fail!"), 1);
    return false;
}

void Systemsetting::networkselectdlg_fun()
{
    QString type;
    if (!readNetworkType(&type))
        return;
    m_selectnet->updateradiobutton(type);
    ui->stackedWidget->setCurrentWidget(m_selectnet);
}

// Records the new type after the administrator agreed; false when he did not
// or it could not be written.
bool Systemsetting::switchNetworkType(const QString& type)
{
    const QMessageBox::StandardButton answer = LauncherMessageBox::question(
        QStringLiteral("Question"), TerminalAttribution::getInstance()->getLanguage(94),
        QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes);
    if (answer == QMessageBox::No)
        return false;
    // On a full or read-only disk the type stays as it was, and so do the
    // interfaces.
    if (!NetworkSelection::write(type)) {
        LauncherMessageBox::writeFailed();
        return false;
    }
    return true;
}

void Systemsetting::networksettingdlg_fun(int type)
{
    QString recorded;
    if (!readNetworkType(&recorded))
        return;
    if (type == 1) {
        if (!recorded.isEmpty() && recorded != QLatin1String("wired")) {
            if (!switchNetworkType(QStringLiteral("wired")))
                return;
            ScriptRunner::startDetached(QStringLiteral(IFCONFIGWLAN0DOWNSCRIPT));
            ScriptRunner::startDetached(QStringLiteral(SETNETWORKSCRIPT));
        }
        ui->stackedWidget->setCurrentWidget(m_network);
        m_network->show();
        return;
    }
    if (recorded != QLatin1String("wireless")) {
        if (!switchNetworkType(QStringLiteral("wireless")))
            return;
        ScriptRunner::startDetached(QStringLiteral(IFCONFIGETH0DOWNSCRIPT));
        ScriptRunner::startDetached(QStringLiteral(CONNECTWIFIDEFAULTSCRIPT));
    }
    ui->stackedWidget->setCurrentWidget(m_wifi);
    m_wifi->show();
}

#endif
