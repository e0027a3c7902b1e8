#include "wificonnectdialog.h"
#include "ui_wificonnectdialog.h"

#include "devicepaths.h"
#include "hotspotinfo.h"
#include "jyndebugonarm.h"
#include "launcherbuild.h"
#include "launchermessagebox.h"
#include "requiredfile.h"
#include "scriptrunner.h"
#include "scriptsequence.h"
#include "supplicantconfig.h"
#include "terminalattribution.h"
#include "wifistatus.h"

#include <QKeyEvent>
#include <QScreen>

namespace {

const QString noAddress = QStringLiteral("0,0,0,0");
const QString passphraseStyle = QStringLiteral("background-color: rgb(255, 255, 255);");

// A name too long for its label takes a smaller font, down to 12 points,
// which fits the usual names of up to 32 bytes; one still too long is
// shortened in the middle, so both its ends stay readable, and the tooltip
// holds it whole.
void showWhole(QLabel* label, const QString& name)
{
    const int width = label->contentsRect().width();
    QFont font = label->font();
    while (font.pointSize() > 12 && QFontMetrics(font).horizontalAdvance(name) > width)
        font.setPointSize(font.pointSize() - 1);
    label->setFont(font);
    const QString shown = QFontMetrics(font).elidedText(name, Qt::ElideMiddle, width);
    label->setText(shown);
    label->setToolTip(shown == name ? QString() : name);
}

} // namespace

WifiConnectDialog::WifiConnectDialog(QWidget* parent, ScriptSequence* scripts)
    : QDialog(parent)
    , ui(new Ui::WifiConnectDialog)
    , m_scripts(scripts ? scripts : new ScriptSequence(this))
{
    ui->setupUi(this);
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    move((screen.width() - width()) / 2, (screen.height() - height()) / 2);
    m_texts = TerminalAttribution::getInstance();
    setlanguage();
    connect(this, &WifiConnectDialog::connect_wifi_start, this,
            &WifiConnectDialog::on_connect_wifi_start);
    connect(this, &WifiConnectDialog::getting_ip_start, this, &WifiConnectDialog::on_getting_ip);
    connect(this, &WifiConnectDialog::label_settext_signal, this,
            &WifiConnectDialog::on_label_settext);
    ui->lineEdit_passworld->setEchoMode(QLineEdit::Password);
}

WifiConnectDialog::~WifiConnectDialog()
{
    delete ui;
}

void WifiConnectDialog::setlanguage()
{
    ui->label_passworld->setText(m_texts->getLanguage(4));
    ui->checkBox_showpasswd->setText(m_texts->getLanguage(78));
    ui->label_ipaddr->setText(m_texts->getLanguage(2));
    ui->label_status->setText(m_texts->getLanguage(76));
    ui->label_connection_status->setText(m_texts->getLanguage(77));
    ui->pushButton_connect->setText(m_texts->getLanguage(11));
    ui->pushButton_back->setText(m_texts->getLanguage(15));
    ui->pushButton->setText(m_texts->getLanguage(83));
}

bool WifiConnectDialog::readStatus(WifiStatus* status)
{
    if (WifiStatus::read(QStringLiteral(WIFISTATUSFILE), status))
        return true;
    RequiredFile::missing(QStringLiteral("open check_net.txt fail!!\nexit"), 0);
    return false;
}

void WifiConnectDialog::putinfo(const QString& name, const QString& savedPassphrase)
{
    m_name = name;
    m_passphrase = savedPassphrase;
    m_scripts->runAndWait(QStringLiteral(CHECKWIFISTATUSSCRIPT));
    showWhole(ui->label_ssid, name);
    ui->lineEdit_passworld->setText(savedPassphrase);
    WifiStatus status;
    if (!readStatus(&status))
        return;
    if (status.associated) {
        ui->pushButton->setEnabled(true);
        ui->label_connection_status->setText(status.ssid);
        if (status.hasAddress) {
            ui->label_ipaddress->setText(status.address);
            if constexpr (liteBuild)
                jyndebugonarm(QStringLiteral("ip =") + status.address);
        }
        return;
    }
    ui->pushButton->setEnabled(false);
    setStatus(77);
    ui->label_ipaddress->setText(noAddress);
}

void WifiConnectDialog::setStatus(int textId)
{
    ui->label_connection_status->setText(m_texts->getLanguage(textId));
}

void WifiConnectDialog::setBusy(bool busy)
{
    ui->pushButton_connect->setEnabled(!busy);
    ui->pushButton_back->setEnabled(!busy);
}

void WifiConnectDialog::on_checkBox_showpasswd_clicked(bool checked)
{
    ui->lineEdit_passworld->setEchoMode(checked ? QLineEdit::Normal : QLineEdit::Password);
}

void WifiConnectDialog::on_pushButton_back_clicked()
{
    deleteLater();
}

void WifiConnectDialog::keyPressEvent(QKeyEvent* event)
{
    if constexpr (!liteBuild) {
        if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_Delete)
            return;
    }
    QDialog::keyPressEvent(event);
}

void WifiConnectDialog::on_pushButton_connect_clicked()
{
    // A passphrase WPA or the supplicant file cannot take is refused
    // before anything is written or run.
    ui->lineEdit_passworld->setStyleSheet(passphraseStyle);
    ui->lineEdit_passworld->setPlaceholderText(QString());
    switch (SupplicantConfig::check(ui->lineEdit_passworld->text())) {
    case SupplicantConfig::Passphrase::BadLength:
        refusePassphrase(91);
        return;
    case SupplicantConfig::Passphrase::BadCharacters:
        refusePassphrase(121);
        return;
    case SupplicantConfig::Passphrase::Acceptable:
        break;
    }
    setBusy(true);
    ui->pushButton->setEnabled(false);
    setStatus(80);
    emit connect_wifi_start();
}

void WifiConnectDialog::refusePassphrase(int textId)
{
    ui->lineEdit_passworld->clear();
    ui->lineEdit_passworld->setPlaceholderText(m_texts->getLanguage(textId));
    ui->lineEdit_passworld->setStyleSheet(passphraseStyle + QStringLiteral("border:2px solid red"));
}

void WifiConnectDialog::on_connect_wifi_start()
{
    m_passphrase = ui->lineEdit_passworld->text();
    if (!stored(SupplicantConfig::write(QStringLiteral(WPASUPPLICANTCONNECTFILE), m_name, m_passphrase))) {
        setStatus(79);
        if constexpr (liteBuild)
            jyndebugonarm(QStringLiteral("open wpa_suplicant_connect.conf fail!!"));
        return;
    }
    // The full launcher takes the wired interface down first.
    QStringList scripts;
    if constexpr (!liteBuild)
        scripts << QStringLiteral(IFCONFIGETH0DOWNSCRIPT);
    scripts << QStringLiteral(CONNECTWIFISCRIPT);
    m_scripts->run(this, scripts, [this] { afterAssociation(); });
}

void WifiConnectDialog::afterAssociation()
{
    WifiStatus status;
    if (!readStatus(&status))
        return;
    if (!status.associated) {
        m_scripts->run(this, {QStringLiteral(CONNECTWIFIFAILSCRIPT)}, [this] {
            setStatus(79);
            ui->label_ipaddress->setText(noAddress);
            setBusy(false);
            ui->pushButton->setEnabled(false);
        });
        return;
    }
    // Only a passphrase that let the terminal associate replaces the saved one.
    if (!stored(HotspotInfo::writePassphrase(m_name, m_passphrase))) {
        setStatus(79);
        return;
    }
    setStatus(55);
    ScriptRunner::startDetached(QStringLiteral(SETWIFISCRIPT));
    emit getting_ip_start();
}

void WifiConnectDialog::on_getting_ip()
{
    // Four one-second pauses give the address time to come before it is
    // checked once.
    const QString pause = QStringLiteral(SLEEP1SCRIPT);
    m_scripts->run(this, {pause, pause, pause, pause, QStringLiteral(CHECKWIFISTATUSSCRIPT)},
                   [this] { afterAddressCheck(); });
}

void WifiConnectDialog::afterAddressCheck()
{
    WifiStatus status;
    if (!readStatus(&status))
        return;
    if (status.hasAddress) {
        ui->label_ipaddress->setText(status.address);
        ui->label_connection_status->setText(m_name);
        ui->pushButton->setEnabled(true);
    } else {
        setStatus(56);
        ui->pushButton->setEnabled(false);
    }
    // The full launcher keeps the network to connect with at start.
    if constexpr (!liteBuild)
        stored(SupplicantConfig::write(QStringLiteral(WPASUPPLICANTFILE), m_name, m_passphrase));
    setBusy(false);
}

bool WifiConnectDialog::stored(bool written)
{
    if (written)
        return true;
    // A full or read-only disk: the scripts after this step would act on the
    // old settings, so the connection stops here and says why.
    setBusy(false);
    LauncherMessageBox::writeFailed();
    return false;
}

void WifiConnectDialog::on_pushButton_clicked()
{
    setStatus(84);
    ui->pushButton->setEnabled(false);
    emit label_settext_signal();
}

void WifiConnectDialog::on_label_settext()
{
    setBusy(true);
    m_scripts->run(this, {QStringLiteral(CONNECTWIFIFAILSCRIPT)}, [this] {
        ui->label_ipaddress->setText(noAddress);
        setStatus(77);
        setBusy(false);
    });
}
