#include "wifinetworksetting.h"
#include "ui_wifinetworksetting.h"

#include "addressvalidator.h"
#include "devicepaths.h"
#include "hotspotinfo.h"
#include "jyndebugonarm.h"
#include "launcherbuild.h"
#include "litewidgets.h"
#include "pagefilling.h"
#include "requiredfile.h"
#include "scriptrunner.h"
#include "scriptsequence.h"
#include "supplicantconfig.h"
#include "terminalattribution.h"
#include "wificonnectdialog.h"
#include "wifiscanlisting.h"
#include "wifistatus.h"

#include <QFile>
#include <QKeyEvent>
#include <QTimer>

#include <unistd.h>

WifiNetworksetting::WifiNetworksetting(QWidget* parent)
    : QDialog(parent)
    , ui(new Ui::WifiNetworksetting)
    , m_timer(new QTimer(this))
    , m_scripts(new ScriptSequence(this))
{
    // A dialog class with a parent is a window of its own; this one is a page
    // of the settings stack, so it becomes a plain child. Done before the form
    // exists, because the change restyles the widget and all its children.
    setWindowFlags(Qt::Widget);
    ui->setupUi(this);
    // The reduced build has neither disconnect nor forget.
    if constexpr (liteBuild)
        removeWidgets(ui->pushButton_dis, ui->pushButton_delete);
    m_fields = AddressingFields(
        {ui->radioButton_autoip,
         ui->radioButton_staticip,
         ui->radioButton_autodns,
         ui->radioButton_staticdns,
         {ui->lineEdit_ip, ui->lineEdit_mask, ui->lineEdit_gateway, ui->lineEdit_dns1,
          ui->lineEdit_dns2},
         {ui->label_gip, ui->label_gdns, ui->label_ipaddr, ui->label_mask, ui->label_gateway,
          ui->label_dns1, ui->label_dns2}},
        this);
    connect(m_timer, &QTimer::timeout, this, &WifiNetworksetting::update_ipaddr_fun);
    m_timer->start(1000);
    setlanguage();
    PageFilling::whenBuilt(*this);
}

WifiNetworksetting::~WifiNetworksetting()
{
    delete ui;
}

void WifiNetworksetting::init_show()
{
    m_fields.fill(AddressingFile::read(QStringLiteral(WIFICONFIGFILE)));
}

void WifiNetworksetting::show()
{
    PageFilling::whenShown(*this);
}

void WifiNetworksetting::keyPressEvent(QKeyEvent* event)
{
    if constexpr (!liteBuild) {
        if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_Delete)
            return;
    }
    QDialog::keyPressEvent(event);
}

void WifiNetworksetting::setlanguage()
{
    TerminalAttribution* texts = TerminalAttribution::getInstance();
    m_fields.setTexts();
    ui->pushButton_scan->setText(texts->getLanguage(75));
    ui->pushButton_save->setText(texts->getLanguage(21));
    ui->label_ipaddr_2->setText(texts->getLanguage(28));
    ui->label_statu->setText(texts->getLanguage(76));
    if constexpr (!liteBuild) {
        ui->pushButton_dis->setText(texts->getLanguage(83));
        ui->pushButton_delete->setText(texts->getLanguage(14));
    }
}

bool WifiNetworksetting::IsIPaddress(const QString& text)
{
    return AddressValidator::isIPaddress(text);
}

bool WifiNetworksetting::IsNetMask(const QString& text)
{
    return AddressValidator::isNetMask(text);
}

bool WifiNetworksetting::IsDnsaddress(const QString& text)
{
    return AddressValidator::isDnsaddress(text);
}

void WifiNetworksetting::on_radioButton_autoip_clicked()
{
    m_fields.setAutomatic();
}

void WifiNetworksetting::on_radioButton_autodns_clicked()
{
    on_radioButton_autoip_clicked();
}

void WifiNetworksetting::on_radioButton_staticip_clicked()
{
    m_fields.setStatic();
}

void WifiNetworksetting::on_radioButton_staticdns_clicked()
{
    on_radioButton_staticip_clicked();
}

void WifiNetworksetting::on_pushButton_save_clicked()
{
    const AddressingFile file = m_fields.values();
    if (!AddressingFields::confirmSave(file))
        return;
    file.write(QStringLiteral(WIFICONFIGFILE));
    sync();
    if constexpr (liteBuild)
        ScriptRunner::execute(QStringLiteral(SETWIFISCRIPT));
    else
        ScriptRunner::startDetached(QStringLiteral(SETWIFISCRIPT));
}

void WifiNetworksetting::on_pushButton_scan_clicked()
{
    ui->pushButton_scan->setEnabled(false);
    ui->listWidget_scan_result->clear();
    m_scripts->run(this, {QStringLiteral(SCANRESULTSCRIPT)}, [this] { showScanResult(); });
}

void WifiNetworksetting::showScanResult()
{
    QFile listing(QStringLiteral(WIFISCANRESULTFILE));
    if (!listing.open(QIODevice::ReadOnly | QIODevice::Text)) {
        RequiredFile::missing(QStringLiteral("scan_result_all.open fail"), 0);
        return;
    }
    ui->listWidget_scan_result->addItems(WifiScanListing::networkNames(listing.readAll()));
    ui->pushButton_scan->setEnabled(true);
}

void WifiNetworksetting::on_listWidget_scan_result_doubleClicked(const QModelIndex&)
{
    const QListWidgetItem* item = ui->listWidget_scan_result->currentItem();
    if (!item)
        return;
    const QString name = item->text();
    QString passphrase;
    if (HotspotInfo::exists(name) && !HotspotInfo::readPassphrase(name, &passphrase)) {
        RequiredFile::missing(QStringLiteral("hotspotinfo open fail!!\nexit"), 0);
        return;
    }
    WifiConnectDialog* dialog = new WifiConnectDialog(nullptr, m_scripts);
    dialog->setModal(true);
    dialog->putinfo(name, passphrase);
    dialog->show();
}

void WifiNetworksetting::update_ipaddr_fun()
{
    if (m_statusQueued)
        return;
    m_statusQueued = true;
    m_scripts->run(this, {QStringLiteral(CHECKWIFISTATUSSCRIPT)}, [this] {
        m_statusQueued = false;
        showStatus();
    });
}

void WifiNetworksetting::showStatus()
{
    WifiStatus status;
    if (!WifiConnectDialog::readStatus(&status))
        return;
    if (status.associated) {
        ui->label_ssid->setText(status.ssid);
        if (status.hasAddress)
            ui->label_ip->setText(status.address);
        if constexpr (liteBuild) {
            jyndebugonarm(QStringLiteral("ip_address= ") + status.lastLine.left(11));
            if (status.hasAddress)
                jyndebugonarm(QStringLiteral("ip =") + status.address);
        } else {
            ui->pushButton_dis->setEnabled(true);
        }
        return;
    }
    ui->label_ssid->setText(TerminalAttribution::getInstance()->getLanguage(77));
    ui->label_ip->setText(QStringLiteral("0,0,0,0"));
    if constexpr (!liteBuild)
        ui->pushButton_dis->setEnabled(false);
}

void WifiNetworksetting::on_pushButton_dis_clicked()
{
    ui->pushButton_dis->setEnabled(false);
    ScriptRunner::startDetached(QStringLiteral(CONNECTWIFIFAILSCRIPT));
}

void WifiNetworksetting::on_pushButton_delete_clicked()
{
    QListWidgetItem* item = ui->listWidget_scan_result->currentItem();
    if (!item)
        return;
    const QString name = item->text();
    HotspotInfo::forget(name);
    if (ui->label_ssid->text() == name)
        on_pushButton_dis_clicked();
    delete item;
    // The saved network that the device connects with at start goes only
    // with the network it holds.
    if (SupplicantConfig::holds(QStringLiteral(WPASUPPLICANTFILE), name))
        QFile::remove(QStringLiteral(WPASUPPLICANTFILE));
}
