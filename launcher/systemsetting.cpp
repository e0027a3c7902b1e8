#include "systemsetting.h"
#include "ui_systemsetting.h"

#include "checknet.h"
#include "displaysetting.h"
#include "launcherbuild.h"
#include "networksetting.h"
#include "passwdsetting.h"
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
    if constexpr (!liteBuild)
        m_passwd = new Passwdsetting(ui->stackedWidget);
    m_checknet = new Checknet(ui->stackedWidget);
    m_sysinfo = new Systermifno(ui->stackedWidget);
    m_selectnet = new SelectNetDialog(ui->stackedWidget);
    m_wifi = new WifiNetworksetting(ui->stackedWidget);

    ui->stackedWidget->addWidget(m_display);
    ui->stackedWidget->addWidget(m_network);
    ui->stackedWidget->addWidget(m_sound);
    if constexpr (!liteBuild)
        ui->stackedWidget->addWidget(m_passwd);
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
    if constexpr (liteBuild) {
        ui->pushButton_passwdsetting->setEnabled(false);
        ui->pushButton_passwdsetting->hide();
    } else {
        connect(ui->pushButton_passwdsetting, &QPushButton::clicked, this,
                &Systemsetting::passwdsettingdlg_fun);
    }
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

void Systemsetting::fistdisplay()
{
    ui->stackedWidget->setCurrentWidget(m_display);
    m_display->show();
}

void Systemsetting::setlanguage()
{
    TerminalAttribution* texts = TerminalAttribution::getInstance();
    // A caption is plain text: an "&" in it is shown, not taken as a shortcut.
    const auto caption = [texts](int id) {
        return texts->getLanguage(id).replace(QLatin1Char('&'), QStringLiteral("&&"));
    };
    if constexpr (!liteBuild)
        ui->pushButton_passwdsetting->setText(caption(101));
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

// A page shown again reads its files afresh in the full launcher only; the
// page decides (PageFilling).
void Systemsetting::displaysettingdlg_fun()
{
    ui->stackedWidget->setCurrentWidget(m_display);
    m_display->show();
}

void Systemsetting::soundsettingdlg_fun()
{
    ui->stackedWidget->setCurrentWidget(m_sound);
    m_sound->show();
}

void Systemsetting::passwdsettingdlg_fun()
{
    ui->stackedWidget->setCurrentWidget(m_passwd);
    m_passwd->show();
}

void Systemsetting::checknetdlg_fun()
{
    ui->stackedWidget->setCurrentWidget(m_checknet);
    m_checknet->show();
}

void Systemsetting::systeminfo_fun()
{
    ui->stackedWidget->setCurrentWidget(m_sysinfo);
}
