#include "mainstackwidget.h"
#include "ui_mainstackwidget.h"

#include "devicepaths.h"
#include "interfaceaddresses.h"
#include "launcherbuild.h"
#include "launchermessagebox.h"
#include "linefile.h"
#include "litewidgets.h"
#include "scriptrunner.h"
#include "serverprofile.h"
#include "terminalattribution.h"
#ifndef LAUNCHER_LITE
#include "logingwidget.h"
#include "mymessagebox.h"
#endif

#include <QDebug>
#include <QFile>
#include <QKeyEvent>
#include <QTimer>

#include <cstdlib>
#include <cstring>
#include <net/if.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

QString autoconnection_g;

namespace {
const QString loopback = QStringLiteral("127.0.0.1");
// The page's fields draw transparently over their frame pictures.
const QString transparentField = QStringLiteral("QLineEdit{background-color: rgba(0,0,0,0);border-width:0;border-style:outset}");
#ifndef LAUNCHER_LITE
// The mode file is reached through the Wi-Fi directory, which must exist.
const QString networkModeFile = QStringLiteral(WIFICONFIGSDIR "../Networkselection");
#endif

QString firstLine(const QString& path)
{
    return LineFile::read(path, 1).first();
}

// What the kernel tells of an interface: whether its link is running (a
// cable is in, or the Wi-Fi is associated), and whether it has an address
// and a hardware address.
struct InterfaceState
{
    bool running = false;
    bool addressed = false;
};

InterfaceState interfaceState(const char* name)
{
    InterfaceState state;
    const int sock = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (sock < 0)
        return state;
    ifreq request{};
    std::strncpy(request.ifr_name, name, IFNAMSIZ - 1);
    // No such interface leaves the flags zero: not running.
    ::ioctl(sock, SIOCGIFFLAGS, &request);
    state.running = request.ifr_flags & IFF_RUNNING;
    const bool hasAddress = ::ioctl(sock, SIOCGIFADDR, &request) == 0;
    const bool hasHardwareAddress = ::ioctl(sock, SIOCGIFHWADDR, &request) == 0;
    ::close(sock);
    state.addressed = hasAddress && hasHardwareAddress;
    return state;
}
}

Mainstackwidget::Mainstackwidget(QWidget* parent)
    : QWidget(parent)
    , ui(new Ui::Mainstackwidget)
{
    ui->setupUi(this);
#ifdef LAUNCHER_LITE
    // The reduced build has no protocol version, no countdown and no cover.
    removeWidgets(ui->label_selectRDP, ui->comboBox_selectRDP, ui->frame_3, ui->spinBox, ui->frame_cover);
#endif
    ui->pushButton_netstaus->setEnabled(false);
    ui->comboBox_server->setStyleSheet(transparentField);
    for (QLineEdit* edit : {ui->lineEdit_ipaddr, ui->lineEdit_usrname, ui->lineEdit_passwd, ui->lineEdit_port,
                            ui->lineEdit_domain}) {
        edit->setStyleSheet(transparentField);
        // The field fills its frame picture; the text keeps off its rounded edge.
        edit->setTextMargins(8, 0, 8, 0);
    }
#ifndef LAUNCHER_LITE
    ui->comboBox_selectRDP->setStyleSheet(transparentField);
#endif
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
#ifndef LAUNCHER_LITE
    connect(ui->lineEdit_passwd, &QLineEdit::textEdited, this, [this] { m_passwordLoaded = false; });
#endif
    setlanguage();
    // The first tick comes a second after start; until then the indicator
    // shows no address in the page's language, not the form's placeholder.
    setIndicator(m_textPrefix + loopback, "disconnect");

    m_addressTimer = new QTimer(this);
    connect(m_addressTimer, &QTimer::timeout, this, &Mainstackwidget::update_ipaddr_fun);
    m_addressTimer->start(1000);
#ifdef LAUNCHER_LITE
    m_autologinTimer = new QTimer(this);
    m_autologinTimer->setSingleShot(true);
    connect(m_autologinTimer, &QTimer::timeout, this, &Mainstackwidget::autologin_fun);
    m_autologinTimer->start(3000);
#else
    ui->frame_cover->hide();
#endif
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
    m_statusText1 = m_textPrefix + texts->getLanguage(53);
    m_statusText2 = m_textPrefix + texts->getLanguage(54);
    m_statusText3 = m_textPrefix + texts->getLanguage(55);
    m_statusText4 = m_textPrefix + texts->getLanguage(56);
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
#ifndef LAUNCHER_LITE
    ui->comboBox_selectRDP->clear();
    ui->comboBox_selectRDP->addItem(QStringLiteral("RDP 8.1"));
#endif
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
#ifndef LAUNCHER_LITE
        ui->comboBox_selectRDP->setCurrentIndex(0);
#endif
        return;
    }
    bool opened = false;
    QStringList lines = ServerProfile::read(name, ServerProfile::lineCount(liteBuild), &opened);
    if (!opened)
        lines[ServerProfile::Address] = name;
    ui->lineEdit_ipaddr->setText(lines[ServerProfile::Address]);
    ui->lineEdit_usrname->setText(lines[ServerProfile::Usrname]);
#ifdef LAUNCHER_LITE
    ui->lineEdit_passwd->setText(lines[ServerProfile::Passwd]);
#else
    // A typed password stays for the next profile chosen; one loaded from a
    // profile never goes with the user to another server.
    if (lines[ServerProfile::Remember] == QLatin1String("1"))
        ui->lineEdit_passwd->setText(lines[ServerProfile::Passwd]);
    else if (m_passwordLoaded)
        ui->lineEdit_passwd->clear();
    m_passwordLoaded = lines[ServerProfile::Remember] == QLatin1String("1");
#endif
    ui->lineEdit_port->setText(lines[ServerProfile::Port]);
    ui->lineEdit_domain->setText(lines[ServerProfile::Domain]);
#ifndef LAUNCHER_LITE
    const int countdown = lines[ServerProfile::Countdown].toInt();
    ui->spinBox->setValue(countdown >= 3 && countdown <= 99 ? countdown : 3);
#endif
    autoconnection_g = lines[ServerProfile::Autoconnect];
    // Only a "0" unchecks: an empty line reads as checked.
    ui->checkBox->setChecked(!lines[ServerProfile::Remember].contains(QLatin1Char('0')));
    ui->checkBox_autoconnect->setChecked(!lines[ServerProfile::Autoconnect].contains(QLatin1Char('0')));
#ifndef LAUNCHER_LITE
    ui->comboBox_selectRDP->setCurrentIndex(0);
#endif
}

void Mainstackwidget::pushbutton_connect_clicked()
{
    const QString address = ui->lineEdit_ipaddr->text();
    TerminalAttribution* texts = TerminalAttribution::getInstance();
    // An address is also a file name; an empty one, or one that would leave
    // the profile directory, is refused like any invalid address.
    if (!ServerProfile::isValidName(address)) {
        ui->lineEdit_ipaddr->setStyleSheet(QStringLiteral("border:2px solid red"));
        ui->lineEdit_ipaddr->setPlaceholderText(texts->getLanguage(69));
        LauncherMessageBox::information(texts->getLanguage(69), QMessageBox::Yes);
        return;
    }
    ui->lineEdit_ipaddr->setStyleSheet(transparentField);
    ui->lineEdit_ipaddr->setPlaceholderText(QString());

    QStringList lines{address,
                      ui->lineEdit_usrname->text(),
                      ui->lineEdit_passwd->text(),
                      ui->lineEdit_port->text(),
                      ui->lineEdit_domain->text(),
                      ui->checkBox->isChecked() ? QStringLiteral("1") : QStringLiteral("0"),
                      ui->checkBox_autoconnect->isChecked() ? QStringLiteral("1") : QStringLiteral("0")};
#ifndef LAUNCHER_LITE
    lines << QString::number(ui->comboBox_selectRDP->currentIndex()) << ui->spinBox->text();
#endif
    // The session script reads the current-connection file: unless it now
    // holds this profile, the session would go to the last server.
    if (!ServerProfile::write(lines) || !ServerProfile::copyToConnectFile(address)) {
        LauncherMessageBox::writeFailed();
        return;
    }
    ::sync();
    combox_init();
    if (checknet_fun() == 0)
        ScriptRunner::execute(QStringLiteral(CONNECTSCRIPT));
}

void Mainstackwidget::pushbutton_poweroff_clicked()
{
    ScriptRunner::execute(QStringLiteral(POWEROFFSCRIPT));
}

void Mainstackwidget::pushbutton_reboot_clicked()
{
    ScriptRunner::execute(QStringLiteral(REBOOTSCRIPT));
}

#ifdef LAUNCHER_LITE

void Mainstackwidget::close_firtlogin_fun()
{
    emit close_firtlogin_siger();
}

void Mainstackwidget::close_firstlogin_usrmanger_fun()
{
    emit close_firtlogin_siger_usrmanger();
}

void Mainstackwidget::autologin_fun()
{
    m_autologinTimer->stop();
    if (firstLine(QStringLiteral(AUTOLOGINFILE)).contains(QLatin1Char('1'))
        && autoconnection_g.contains(QLatin1Char('1')))
        pushbutton_connect_clicked();
}

#else

void Mainstackwidget::openLogin(void (Mainstackwidget::*closedSlot)(bool))
{
    ui->frame_cover->show();
    ui->frame_cover->raise();
    auto* login = new logingwidget(this);
    connect(login, &logingwidget::logingwidget_close_singal, this, closedSlot);
    login->show();
}

void Mainstackwidget::close_firtlogin_fun()
{
    openLogin(&Mainstackwidget::logingwidget_close_slot_settings);
}

void Mainstackwidget::close_firstlogin_usrmanger_fun()
{
    openLogin(&Mainstackwidget::logingwidget_close_slot_userinfo);
}

void Mainstackwidget::closeSender()
{
    // The dialog is still inside its signal; it goes when control returns.
    if (auto* dialog = qobject_cast<QWidget*>(sender())) {
        dialog->hide();
        dialog->deleteLater();
    }
}

void Mainstackwidget::logingwidget_close_slot_settings(bool signedIn)
{
    closeSender();
    if (signedIn)
        emit close_firtlogin_siger();
    ui->frame_cover->hide();
}

void Mainstackwidget::logingwidget_close_slot_userinfo(bool signedIn)
{
    closeSender();
    if (signedIn)
        emit close_firtlogin_siger_usrmanger();
    ui->frame_cover->hide();
}

void Mainstackwidget::show()
{
    if (firstLine(QStringLiteral(AUTOLOGINFILE)) == QLatin1String("1")) {
        // Armed once: the automatic connection happens once per arming.
        LineFile::write(QStringLiteral(AUTOLOGINFILE), {QStringLiteral("0")});
        if (ui->checkBox_autoconnect->isChecked()) {
            m_countdownSeconds = ui->spinBox->text().toInt();
            ui->frame_cover->show();
            ui->frame_cover->raise();
            startCountdown();
        }
    }
    QWidget::show();
}

void Mainstackwidget::startCountdown()
{
    auto* box = new mymessagebox(this);
    box->set_Time(m_countdownSeconds);
    connect(box, &mymessagebox::messagebox_closed_signal, this, &Mainstackwidget::mymessagebox_closed_slot);
    box->show();
}

void Mainstackwidget::mymessagebox_closed_slot(int result)
{
    closeSender();
    if (result == 1) {
        // Keep counting down until the network is up or the user cancels.
        if (checknet_fun_wan_delay() != 0) {
            startCountdown();
            return;
        }
        pushbutton_connect_clicked();
    }
    ui->frame_cover->hide();
}

void Mainstackwidget::resizeEvent(QResizeEvent* event)
{
    ui->frame_cover->setGeometry(rect());
    QWidget::resizeEvent(event);
}

int Mainstackwidget::checknet_fun_wan_delay()
{
    return checknet(false);
}

#endif

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
    return checknet(true);
}

int Mainstackwidget::checknet(bool withMessages)
{
    // A result left by an earlier check must not pass for this one: a
    // missing or failing script writes none, so it is removed first.
    const auto runCheck = [] {
        const QString result = QStringLiteral(NETCHECKFILE);
        const bool removed = QFile::remove(result) || !QFile::exists(result);
        ScriptRunner::execute(QStringLiteral(CHECKNETSCRIPT));
        return removed;
    };
    const auto pingFailed = [withMessages](bool fresh) {
        if (!fresh || !firstLine(QStringLiteral(NETCHECKFILE)).contains(QLatin1String("PINGOK"))) {
            if (withMessages)
                LauncherMessageBox::about(TerminalAttribution::getInstance()->getLanguage(57));
            return true;
        }
        return false;
    };
    const bool fresh = runCheck();
    if (net_detect("eth0") == 0)
        return pingFailed(fresh) ? 1 : 0;
    if (net_detect("wlan0") != 0) {
        if (withMessages)
            LauncherMessageBox::about(TerminalAttribution::getInstance()->getLanguage(58));
        return 2;
    }
    return pingFailed(runCheck()) ? 1 : 0;
}

int Mainstackwidget::net_detect(const char* name)
{
    const InterfaceState state = interfaceState(name);
    if (!state.addressed)
        return -1;
    return state.running ? 0 : 1;
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

void Mainstackwidget::setIndicator(const QString& text, const char* picture)
{
    ui->label_localipaddr->setText(text);
    ui->pushButton_netstaus->setStyleSheet(
        QStringLiteral("QPushButton{border-image: url(:/images/%1.png);color: rgb(255, 255, 255);}")
            .arg(QLatin1String(picture)));
}

QString Mainstackwidget::waitingText(int& step, int& waited) const
{
    ++step;
    ++waited;
    QString text = m_statusText1;
    if (step == 2) {
        text = m_statusText2;
    } else if (step == 3) {
        text = m_statusText3;
        step = 0;
    }
    return waited > 59 ? m_statusText4 : text;
}

void Mainstackwidget::showWiredAddress()
{
    static int i = 0;
    static int j = 0;
    if (getlocalInfo())
        setIndicator(m_textPrefix + m_localAddress, "connect");
    else
        setIndicator(waitingText(i, j), "neterror");
}

#ifdef LAUNCHER_LITE

void Mainstackwidget::update_ipaddr_fun()
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
        if (!interfaceState("eth0").running) {
            setIndicator(m_textPrefix + loopback, "disconnect");
            return;
        }
    } else {
        m_wiredApplied = 0;
    }
    showWiredAddress();
}

#else

void Mainstackwidget::update_ipaddr_fun()
{
    bool opened = false;
    m_networkMode = LineFile::read(networkModeFile, 1, &opened).first();
    if (!opened) {
        qDebug() << QStringLiteral("/opt/zoderer/configs/network/wificonfigs/hotspotinfo/Networkselection open fail");
        std::exit(1);
    }

    if (m_networkMode == QLatin1String("wired") || m_networkMode.isEmpty()) {
        if (m_wiredApplied != 1) {
            ScriptRunner::execute(QStringLiteral("ifconfig"), {QStringLiteral("eth0"), QStringLiteral("up")});
            ScriptRunner::execute(QStringLiteral("ifconfig"), {QStringLiteral("wlan0"), QStringLiteral("down")});
            m_wiredApplied = 1;
        }
        // A cable in without an address yet is waited for, not shown as out.
        if (!interfaceState("eth0").running) {
            setIndicator(m_textPrefix + loopback, "disconnect");
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
        setIndicator(m_textPrefix + loopback, "neterror_wifi");
}

#endif

bool Mainstackwidget::update_ipaddr_wifi()
{
    static int i = 0;
    static int j = 0;
#ifndef LAUNCHER_LITE
    // The reduced build looks at Wi-Fi whatever the chosen mode.
    if (m_networkMode != QLatin1String("wireless"))
        return false;
#endif
    if (net_detect("wlan0") != 0)
        return false;
#ifndef LAUNCHER_LITE
    m_wiredApplied = 0;
#endif
    if (getlocalInfo_wifi())
        setIndicator(m_textPrefix + m_localAddress, "connect_wifi");
    else
        setIndicator(waitingText(i, j), "neterror_wifi");
    return true;
}
