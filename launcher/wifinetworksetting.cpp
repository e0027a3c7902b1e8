#include "wifinetworksetting.h"
#include "ui_wifinetworksetting.h"

#include "addressvalidator.h"
#include "devicepaths.h"
#include "hotspotinfo.h"
#include "scriptrunner.h"
#include "scriptsequence.h"
#include "supplicantconfig.h"
#include "terminalattribution.h"
#include "wificonnectdialog.h"
#include "wifiscanlisting.h"
#include "wifistatus.h"
#ifdef LAUNCHER_LITE
#include "jyndebugonarm.h"
#endif

#include <QButtonGroup>
#include <QFile>
#include <QKeyEvent>
#include <QTimer>

#include <cstdlib>
#include <unistd.h>

WifiNetworksetting::WifiNetworksetting(QWidget* parent)
    : QDialog(parent)
    , ui(new Ui::WifiNetworksetting)
    , m_ipGroup(new QButtonGroup(this))
    , m_dnsGroup(new QButtonGroup(this))
    , m_fields({})
    , m_timer(new QTimer(this))
    , m_scripts(new ScriptSequence(this))
{
    // A dialog class with a parent is a window of its own; this one is a page
    // of the settings stack, so it becomes a plain child. Done before the form
    // exists, because the change restyles the widget and all its children.
    setWindowFlags(Qt::Widget);
    ui->setupUi(this);
#ifdef LAUNCHER_LITE
    // The reduced build has neither disconnect nor forget.
    delete ui->pushButton_dis;
    ui->pushButton_dis = nullptr;
    delete ui->pushButton_delete;
    ui->pushButton_delete = nullptr;
#endif
    m_fields = AddressingFields({ui->lineEdit_ip, ui->lineEdit_mask, ui->lineEdit_gateway,
                                 ui->lineEdit_dns1, ui->lineEdit_dns2});
    m_ipGroup->addButton(ui->radioButton_autoip, 1);
    m_ipGroup->addButton(ui->radioButton_staticip, 2);
    m_dnsGroup->addButton(ui->radioButton_autodns, 1);
    m_dnsGroup->addButton(ui->radioButton_staticdns, 2);
    connect(m_timer, &QTimer::timeout, this, &WifiNetworksetting::update_ipaddr_fun);
    m_timer->start(1000);
    setlanguage();
#ifdef LAUNCHER_LITE
    fill(AddressingFile::read(QStringLiteral(WIFICONFIGFILE)));
#endif
}

WifiNetworksetting::~WifiNetworksetting()
{
    delete ui;
}

#ifndef LAUNCHER_LITE
void WifiNetworksetting::init_show()
{
    fill(AddressingFile::read(QStringLiteral(WIFICONFIGFILE)));
}

void WifiNetworksetting::show()
{
    init_show();
    QDialog::show();
}

void WifiNetworksetting::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_Delete)
        return;
    QDialog::keyPressEvent(event);
}
#endif

void WifiNetworksetting::fill(const AddressingFile& file)
{
    if (!file.isStatic) {
        on_radioButton_autoip_clicked();
        return;
    }
    on_radioButton_staticip_clicked();
    m_fields.fill(file);
}

void WifiNetworksetting::setlanguage()
{
    TerminalAttribution* texts = TerminalAttribution::getInstance();
    ui->pushButton_scan->setText(texts->getLanguage(75));
    ui->radioButton_autoip->setText(texts->getLanguage(23));
    ui->radioButton_staticip->setText(texts->getLanguage(24));
    ui->label_gip->setText(texts->getLanguage(22));
    ui->label_ipaddr->setText(texts->getLanguage(28));
    ui->label_mask->setText(texts->getLanguage(29));
    ui->label_gateway->setText(texts->getLanguage(30));
    ui->label_gdns->setText(texts->getLanguage(27));
    ui->radioButton_autodns->setText(texts->getLanguage(25));
    ui->radioButton_staticdns->setText(texts->getLanguage(26));
    ui->label_dns1->setText(QStringLiteral("DNS1:"));
    ui->label_dns2->setText(QStringLiteral("DNS2:"));
    ui->pushButton_save->setText(texts->getLanguage(21));
    ui->label_ipaddr_2->setText(texts->getLanguage(28));
    ui->label_statu->setText(texts->getLanguage(76));
#ifndef LAUNCHER_LITE
    ui->pushButton_dis->setText(texts->getLanguage(83));
    ui->pushButton_delete->setText(texts->getLanguage(14));
#endif
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
    ui->radioButton_autoip->setChecked(true);
    ui->radioButton_autodns->setChecked(true);
    m_fields.setAutomatic();
}

void WifiNetworksetting::on_radioButton_autodns_clicked()
{
    on_radioButton_autoip_clicked();
}

void WifiNetworksetting::on_radioButton_staticip_clicked()
{
    ui->radioButton_staticip->setChecked(true);
    ui->radioButton_staticdns->setChecked(true);
    m_fields.setStatic();
}

void WifiNetworksetting::on_radioButton_staticdns_clicked()
{
    on_radioButton_staticip_clicked();
}

void WifiNetworksetting::on_pushButton_save_clicked()
{
    const AddressingFile file = m_fields.values(ui->radioButton_staticip->isChecked());
    if (!AddressingFields::confirmSave(file))
        return;
    file.write(QStringLiteral(WIFICONFIGFILE));
    sync();
#ifdef LAUNCHER_LITE
    ScriptRunner::execute(QStringLiteral(SETWIFISCRIPT));
#else
    ScriptRunner::startDetached(QStringLiteral(SETWIFISCRIPT));
#endif
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
#ifdef LAUNCHER_LITE
        jyndebugonarm(QStringLiteral("scan_result_all.open fail"));
#endif
        std::exit(0);
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
#ifdef LAUNCHER_LITE
        jyndebugonarm(QStringLiteral("hotspotinfo open fail!!"));
        jyndebugonarm(QStringLiteral("exit"));
#endif
        std::exit(0);
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
    const WifiStatus status = WifiStatus::readOrExit();
    if (status.associated) {
        ui->label_ssid->setText(status.ssid);
        if (status.hasAddress)
            ui->label_ip->setText(status.address);
#ifdef LAUNCHER_LITE
        jyndebugonarm(QStringLiteral("ip_address= ") + status.lastLine.left(11));
        if (status.hasAddress)
            jyndebugonarm(QStringLiteral("ip =") + status.address);
#else
        ui->pushButton_dis->setEnabled(true);
#endif
        return;
    }
    ui->label_ssid->setText(TerminalAttribution::getInstance()->getLanguage(77));
    ui->label_ip->setText(QStringLiteral("0,0,0,0"));
#ifndef LAUNCHER_LITE
    ui->pushButton_dis->setEnabled(false);
#endif
}

#ifndef LAUNCHER_LITE
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
#endif
