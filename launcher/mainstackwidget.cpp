#include "mainstackwidget.h"
#include "ui_mainstackwidget.h"

#include "connectflow.h"
#include "devicepaths.h"
#include "interfaceaddresses.h"
#include "launcherbuild.h"
#include "launchermessagebox.h"
#include "linefile.h"
#include "litewidgets.h"
#include "requiredfile.h"
#include "scriptrunner.h"
#include "signin.h"
#include "terminalattribution.h"

#include <QKeyEvent>
#include <QTimer>

QString autoconnection_g;

namespace {
const QString loopback = QStringLiteral("127.0.0.1");
// The page's fields draw transparently over their frame pictures.
const QString transparentField = QStringLiteral("QLineEdit{background-color: rgba(0,0,0,0);border-width:0;border-style:outset}");
// The mode file is reached through the Wi-Fi directory, which must exist.
const QString networkModeFile = QStringLiteral(WIFICONFIGSDIR "../Networkselection");

QString firstLine(const QString& path)
{
    return LineFile::read(path, 1).first();
}

QString flag(bool on)
{
    return on ? QStringLiteral("1") : QStringLiteral("0");
}
}

Mainstackwidget::Mainstackwidget(QWidget* parent)
    : QWidget(parent)
    , ui(new Ui::Mainstackwidget)
{
    ui->setupUi(this);
    if constexpr (liteBuild) {
        // The reduced build has no protocol version, no countdown and no cover.
        removeWidgets(ui->label_selectRDP, ui->comboBox_selectRDP, ui->frame_3, ui->spinBox, ui->frame_cover);
    }
    m_signIn = new SignIn(*this, ui->frame_cover);
    connect(m_signIn, &SignIn::signedIn, this, [this](SignIn::Target target) {
        if (target == SignIn::Settings)
            emit close_firtlogin_siger();
        else
            emit close_firtlogin_siger_usrmanger();
    });
    connect(m_signIn, &SignIn::connectNow, this, &Mainstackwidget::pushbutton_connect_clicked);

    ui->pushButton_netstaus->setEnabled(false);
    ui->comboBox_server->setStyleSheet(transparentField);
    for (QLineEdit* edit : {ui->lineEdit_ipaddr, ui->lineEdit_usrname, ui->lineEdit_passwd, ui->lineEdit_port,
                            ui->lineEdit_domain}) {
        edit->setStyleSheet(transparentField);
        // The field fills its frame picture; the text keeps off its rounded edge.
        edit->setTextMargins(8, 0, 8, 0);
    }
    if constexpr (!liteBuild)
        ui->comboBox_selectRDP->setStyleSheet(transparentField);
    ui->lineEdit_passwd->setEchoMode(QLineEdit::Password);

    ui->lineEdit_ipaddr->setFocus();
    combox_init();
    ui->lineEdit_ipaddr->setFocus();

    for (QWidget* widget : {static_cast<QWidget*>(ui->lineEdit_ipaddr), static_cast<QWidget*>(ui->lineEdit_usrname),
                            static_cast<QWidget*>(ui->lineEdit_passwd), static_cast<QWidget*>(ui->lineEdit_port),
                            static_cast<QWidget*>(ui->lineEdit_domain), static_cast<QWidget*>(ui->checkBox)})
        widget->installEventFilter(this);

    connect(ui->pushButton_setting, &QPushButton::clicked, this, &Mainstackwidget::close_firtlogin_fun);
    connect(ui->pushButton_usrico, &QPushButton::clicked, this, &Mainstackwidget::close_firstlogin_usrmanger_fun);
    connect(ui->comboBox_server, &QComboBox::currentIndexChanged, this, &Mainstackwidget::update_usrinfodata);
    connect(ui->pushButton_connect, &QPushButton::clicked, this, &Mainstackwidget::pushbutton_connect_clicked);
    connect(ui->pushButton_powoff, &QPushButton::clicked, this, &Mainstackwidget::pushbutton_poweroff_clicked);
    connect(ui->pushButton_reboot, &QPushButton::clicked, this, &Mainstackwidget::pushbutton_reboot_clicked);
    if constexpr (!liteBuild)
        connect(ui->lineEdit_passwd, &QLineEdit::textEdited, this, [this] { m_passwordLoaded = false; });
    setlanguage();
    // The first tick comes a second after start; until then the indicator
    // shows no address in the page's language, not the form's placeholder.
    showIndicator(NetworkIndicator::none(QStringLiteral("disconnect")));

    m_addressTimer = new QTimer(this);
    connect(m_addressTimer, &QTimer::timeout, this, &Mainstackwidget::update_ipaddr_fun);
    m_addressTimer->start(1000);
    if constexpr (liteBuild) {
        auto* autologin = new QTimer(this);
        autologin->setSingleShot(true);
        connect(autologin, &QTimer::timeout, this, &Mainstackwidget::autologin_fun);
        autologin->start(3000);
    } else {
        ui->frame_cover->hide();
    }
}

Mainstackwidget::~Mainstackwidget()
{
    delete ui;
}

void Mainstackwidget::setlanguage()
{
    TerminalAttribution* texts = TerminalAttribution::getInstance();
    ui->pushButton_powoff->setText(texts->getLanguage(8));
    ui->pushButton_reboot->setText(texts->getLanguage(9));
    ui->pushButton_setting->setText(texts->getLanguage(10));
    ui->pushButton_connect->setText(texts->getLanguage(11));
    ui->label_serverip->setText(texts->getLanguage(1));
    ui->label_hostip->setText(texts->getLanguage(2));
    ui->label_usrname->setText(texts->getLanguage(3));
    ui->label_passwd->setText(texts->getLanguage(4));
    ui->label_port->setText(texts->getLanguage(5));
    ui->label_domain->setText(texts->getLanguage(6));
    ui->label_manger->setText(texts->getLanguage(7));
    ui->checkBox->setText(texts->getLanguage(12));
    ui->checkBox_autoconnect->setText(texts->getLanguage(74));

    m_textPrefix = texts->getLanguage(52) + QStringLiteral("  ");
    for (int id = 53; id <= 56; ++id)
        m_indicatorTexts[id] = m_textPrefix + texts->getLanguage(id);
}

void Mainstackwidget::combox_init()
{
    ui->comboBox_server->clear();
    ui->comboBox_server->addItems(ServerProfile::names());
    const QString current = firstLine(QStringLiteral(CONNECTFILE));
    if (!current.isEmpty()) {
        const int index = ui->comboBox_server->findText(current, Qt::MatchExactly | Qt::MatchCaseSensitive);
        if (index >= 0)
            ui->comboBox_server->setCurrentIndex(index);
    }
    if constexpr (!liteBuild) {
        ui->comboBox_selectRDP->clear();
        ui->comboBox_selectRDP->addItem(QStringLiteral("RDP 8.1"));
    }
    update_usrinfodata();
}

void Mainstackwidget::update_usrinfodata()
{
    const QString name = ui->comboBox_server->currentText();
    if (name.isEmpty()) {
        ui->lineEdit_ipaddr->clear();
        ui->lineEdit_usrname->clear();
        ui->lineEdit_passwd->clear();
        ui->lineEdit_port->setText(QStringLiteral("3389"));
        ui->lineEdit_domain->clear();
        if constexpr (!liteBuild)
            ui->comboBox_selectRDP->setCurrentIndex(0);
        return;
    }
    bool opened = false;
    ServerProfile::Record profile = ServerProfile::read(name, &opened);
    if (!opened)
        profile.address = name;
    ui->lineEdit_ipaddr->setText(profile.address);
    ui->lineEdit_usrname->setText(profile.user);
    if constexpr (liteBuild) {
        ui->lineEdit_passwd->setText(profile.password);
    } else {
        // A typed password stays for the next profile chosen; one loaded from
        // a profile never goes with the user to another server.
        if (profile.remember == QLatin1String("1"))
            ui->lineEdit_passwd->setText(profile.password);
        else if (m_passwordLoaded)
            ui->lineEdit_passwd->clear();
        m_passwordLoaded = profile.remember == QLatin1String("1");
    }
    ui->lineEdit_port->setText(profile.port);
    ui->lineEdit_domain->setText(profile.domain);
    if constexpr (!liteBuild) {
        const int countdown = profile.countdown.toInt();
        ui->spinBox->setValue(countdown >= 3 && countdown <= 99 ? countdown : 3);
    }
    autoconnection_g = profile.autoconnect;
    // Only a "0" unchecks: an empty line reads as checked.
    ui->checkBox->setChecked(!profile.remember.contains(QLatin1Char('0')));
    ui->checkBox_autoconnect->setChecked(!profile.autoconnect.contains(QLatin1Char('0')));
    if constexpr (!liteBuild)
        ui->comboBox_selectRDP->setCurrentIndex(0);
}

ServerProfile::Record Mainstackwidget::shownProfile() const
{
    ServerProfile::Record profile;
    profile.address = ui->lineEdit_ipaddr->text();
    profile.user = ui->lineEdit_usrname->text();
    profile.password = ui->lineEdit_passwd->text();
    profile.port = ui->lineEdit_port->text();
    profile.domain = ui->lineEdit_domain->text();
    profile.remember = flag(ui->checkBox->isChecked());
    profile.autoconnect = flag(ui->checkBox_autoconnect->isChecked());
    if constexpr (!liteBuild) {
        profile.rdpVersion = QString::number(ui->comboBox_selectRDP->currentIndex());
        profile.countdown = ui->spinBox->text();
    }
    return profile;
}

void Mainstackwidget::pushbutton_connect_clicked()
{
    const ConnectFlow::Saved saved = ConnectFlow::save(shownProfile(), ServerProfile::lineCount(liteBuild));
    if (saved == ConnectFlow::Saved::Refused) {
        // An address is also a file name: one that is empty or would leave
        // the profile directory is refused like any invalid address.
        const QString text = TerminalAttribution::getInstance()->getLanguage(69);
        ui->lineEdit_ipaddr->setStyleSheet(QStringLiteral("border:2px solid red"));
        ui->lineEdit_ipaddr->setPlaceholderText(text);
        LauncherMessageBox::information(text, QMessageBox::Yes);
        return;
    }
    ui->lineEdit_ipaddr->setStyleSheet(transparentField);
    ui->lineEdit_ipaddr->setPlaceholderText(QString());
    if (saved == ConnectFlow::Saved::WriteFailed) {
        LauncherMessageBox::writeFailed();
        return;
    }
    combox_init();
    if (checknet_fun() == 0)
        ConnectFlow::startSession();
}

void Mainstackwidget::pushbutton_poweroff_clicked()
{
    ScriptRunner::execute(QStringLiteral(POWEROFFSCRIPT));
}

void Mainstackwidget::pushbutton_reboot_clicked()
{
    ScriptRunner::execute(QStringLiteral(REBOOTSCRIPT));
}

void Mainstackwidget::close_firtlogin_fun()
{
    m_signIn->open(SignIn::Settings);
}

void Mainstackwidget::close_firstlogin_usrmanger_fun()
{
    m_signIn->open(SignIn::Manager);
}

void Mainstackwidget::logingwidget_close_slot_settings(bool signedIn)
{
    m_signIn->closed(sender(), SignIn::Settings, signedIn);
}

void Mainstackwidget::logingwidget_close_slot_userinfo(bool signedIn)
{
    m_signIn->closed(sender(), SignIn::Manager, signedIn);
}

void Mainstackwidget::autologin_fun()
{
    // Launcher-lite has no countdown box.
    m_signIn->automatic(ui->checkBox_autoconnect->isChecked(), ui->spinBox ? ui->spinBox->text().toInt() : 0);
}

void Mainstackwidget::mymessagebox_closed_slot(int result)
{
    m_signIn->countdownClosed(sender(), result);
}

void Mainstackwidget::show()
{
    // Launcher-lite connects automatically after a delay instead.
    if constexpr (!liteBuild)
        autologin_fun();
    QWidget::show();
}

void Mainstackwidget::resizeEvent(QResizeEvent* event)
{
    // A countdown or sign-in covers the whole page.
    if (ui->frame_cover)
        ui->frame_cover->setGeometry(rect());
    QWidget::resizeEvent(event);
}

void Mainstackwidget::showEvent(QShowEvent* event)
{
    // The pages built after this one take the focus for their own fields;
    // whenever this page comes to the front, typing goes to the address.
    ui->lineEdit_ipaddr->setFocus();
    QWidget::showEvent(event);
}

bool Mainstackwidget::eventFilter(QObject* object, QEvent* event)
{
    if (event->type() != QEvent::KeyPress || static_cast<QKeyEvent*>(event)->key() != Qt::Key_Tab)
        return QWidget::eventFilter(object, event);
    const QWidget* current = focusWidget();
    QWidget* next = ui->lineEdit_ipaddr;
    if (current == ui->lineEdit_ipaddr)
        next = ui->lineEdit_usrname;
    else if (current == ui->lineEdit_usrname)
        next = ui->lineEdit_passwd;
    else if (current == ui->lineEdit_passwd)
        next = ui->lineEdit_port;
    else if (current == ui->lineEdit_port)
        next = ui->lineEdit_domain;
    else if (current == ui->lineEdit_domain)
        next = ui->checkBox;
    next->setFocus(Qt::TabFocusReason);
    return true;
}

int Mainstackwidget::checknet_fun()
{
    return ConnectFlow::checkNetwork(true);
}

int Mainstackwidget::checknet_fun_wan_delay()
{
    return ConnectFlow::checkNetwork(false);
}

int Mainstackwidget::net_detect(const char* name)
{
    const InterfaceAddresses::Link link = InterfaceAddresses::link(name);
    if (!link.addressed)
        return -1;
    return link.running ? 0 : 1;
}

int Mainstackwidget::getlocalInfo()
{
    const QStringList addresses = InterfaceAddresses::ofInterfacesUp();
    for (const QString& address : addresses) {
        m_localAddress = address;
        if (m_localAddress != loopback)
            break;
    }
    return m_localAddress != loopback ? 1 : 0;
}

int Mainstackwidget::getlocalInfo_wifi()
{
    const QStringList addresses = InterfaceAddresses::of(QStringLiteral("wlan0"));
    if (addresses.isEmpty())
        return 0;
    m_localAddress = addresses.last();
    return 1;
}

void Mainstackwidget::showIndicator(const NetworkIndicator::Shown& shown)
{
    ui->label_localipaddr->setText(shown.address.isEmpty() ? m_indicatorTexts.value(shown.textId)
                                                           : m_textPrefix + shown.address);
    ui->pushButton_netstaus->setStyleSheet(
        QStringLiteral("QPushButton{border-image: url(:/images/%1.png);color: rgb(255, 255, 255);}").arg(shown.picture));
}

void Mainstackwidget::showWiredAddress()
{
    showIndicator(m_indicator.wired(getlocalInfo() ? m_localAddress : QString()));
}

void Mainstackwidget::update_ipaddr_fun()
{
    if constexpr (liteBuild)
        updateEitherLink();
    else
        updateChosenLink();
}

void Mainstackwidget::updateEitherLink()
{
    if (net_detect("eth0") != 0) {
        if (m_wiredApplied != 1) {
            ScriptRunner::execute(QStringLiteral(IFCONFIGETH0DOWNSCRIPT));
            ScriptRunner::execute(QStringLiteral(IFCONFIGETH0UPSCRIPT));
            m_wiredApplied = 1;
        }
        if (update_ipaddr_wifi())
            return;
        // A cable in without an address yet is waited for, not shown as out.
        if (!InterfaceAddresses::link("eth0").running) {
            showIndicator(NetworkIndicator::none(QStringLiteral("disconnect")));
            return;
        }
    } else {
        m_wiredApplied = 0;
    }
    showWiredAddress();
}

void Mainstackwidget::updateChosenLink()
{
    bool opened = false;
    m_networkMode = LineFile::read(networkModeFile, 1, &opened).first();
    if (!opened) {
        // Quoted, as the log has always shown it.
        RequiredFile::missing(
            QStringLiteral("\"/opt/zoderer/configs/network/wificonfigs/hotspotinfo/Networkselection open fail\""), 1);
        return;
    }

    if (m_networkMode == QLatin1String("wired") || m_networkMode.isEmpty()) {
        if (m_wiredApplied != 1) {
            ScriptRunner::execute(QStringLiteral("ifconfig"), {QStringLiteral("eth0"), QStringLiteral("up")});
            ScriptRunner::execute(QStringLiteral("ifconfig"), {QStringLiteral("wlan0"), QStringLiteral("down")});
            m_wiredApplied = 1;
        }
        // A cable in without an address yet is waited for, not shown as out.
        if (!InterfaceAddresses::link("eth0").running) {
            showIndicator(NetworkIndicator::none(QStringLiteral("disconnect")));
            return;
        }
        m_wifiApplied = 0;
        showWiredAddress();
        return;
    }
    if (m_wifiApplied != 1) {
        ScriptRunner::execute(QStringLiteral("ifconfig"), {QStringLiteral("eth0"), QStringLiteral("down")});
        ScriptRunner::execute(QStringLiteral("ifconfig"), {QStringLiteral("wlan0"), QStringLiteral("up")});
        m_wifiApplied = 1;
    }
    if (!update_ipaddr_wifi())
        showIndicator(NetworkIndicator::none(QStringLiteral("neterror_wifi")));
}

bool Mainstackwidget::update_ipaddr_wifi()
{
    // Launcher-lite looks at Wi-Fi whatever the chosen mode.
    if (!liteBuild && m_networkMode != QLatin1String("wireless"))
        return false;
    if (net_detect("wlan0") != 0)
        return false;
    if constexpr (!liteBuild)
        m_wiredApplied = 0;
    showIndicator(m_indicator.wireless(getlocalInfo_wifi() ? m_localAddress : QString()));
    return true;
}
