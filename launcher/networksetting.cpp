#include "networksetting.h"
#include "ui_networksetting.h"

#include "addressingfile.h"
#include "addressvalidator.h"
#include "devicepaths.h"
#include "launchermessagebox.h"
#include "scriptrunner.h"
#include "terminalattribution.h"

#include <QButtonGroup>

#include <unistd.h>

Networksetting::Networksetting(QWidget* parent)
    : QWidget(parent)
    , ui(new Ui::Networksetting)
    , m_ipGroup(new QButtonGroup(this))
    , m_dnsGroup(new QButtonGroup(this))
    , m_fields({})
{
    ui->setupUi(this);
    m_fields = AddressingFields({ui->lineEdit_autoip, ui->lineEdit_mask, ui->lineEdit_gateway,
                                 ui->lineEdit_dns1, ui->lineEdit_dns2});
    m_ipGroup->addButton(ui->radioButton_autoip);
    m_ipGroup->addButton(ui->radioButton_staticip);
    m_dnsGroup->addButton(ui->radioButton_autodns);
    m_dnsGroup->addButton(ui->radioButton_staicdns);
    connect(ui->radioButton_autoip, &QRadioButton::clicked, this,
            &Networksetting::radiobuttondautoip_clicked);
    connect(ui->radioButton_staticip, &QRadioButton::clicked, this,
            &Networksetting::radiobuttondstaticip_clicked);
    connect(ui->radioButton_autodns, &QRadioButton::clicked, this,
            &Networksetting::radiobuttondautodns_clicked);
    connect(ui->radioButton_staicdns, &QRadioButton::clicked, this,
            &Networksetting::radiobuttondstaicdns_clicked);
    connect(ui->pushButton_save, &QPushButton::clicked, this,
            &Networksetting::pushbutton_saveclicked);
    setlanguage();
#ifdef LAUNCHER_LITE
    fill(AddressingFile::read(QStringLiteral(NETCONFIGFILE)));
#endif
}

Networksetting::~Networksetting()
{
    delete ui;
}

#ifndef LAUNCHER_LITE
void Networksetting::init_show()
{
    fill(AddressingFile::read(QStringLiteral(NETCONFIGFILE)));
}

void Networksetting::show()
{
    init_show();
    QWidget::show();
}
#endif

void Networksetting::fill(const AddressingFile& file)
{
    if (!file.isStatic) {
        radiobuttondautoip_clicked();
        return;
    }
    radiobuttondstaticip_clicked();
    m_fields.fill(file);
}

void Networksetting::setlanguage()
{
    TerminalAttribution* texts = TerminalAttribution::getInstance();
    ui->label_ipadd->setText(texts->getLanguage(22));
    ui->label_dns->setText(texts->getLanguage(27));
    ui->label_ipaddr->setText(texts->getLanguage(28));
    ui->label_mask->setText(texts->getLanguage(29));
    ui->label_gateway->setText(texts->getLanguage(30));
    ui->label_dns1->setText(QStringLiteral("DNS1:"));
    ui->label_dns2->setText(QStringLiteral("DNS2:"));
    ui->pushButton_save->setText(texts->getLanguage(21));
    ui->radioButton_autoip->setText(texts->getLanguage(23));
    ui->radioButton_staticip->setText(texts->getLanguage(24));
    ui->radioButton_autodns->setText(texts->getLanguage(25));
    ui->radioButton_staicdns->setText(texts->getLanguage(26));
}

bool Networksetting::IsIPaddress(const QString& text)
{
    return AddressValidator::isIPaddress(text);
}

bool Networksetting::IsNetMask(const QString& text)
{
    return AddressValidator::isNetMask(text);
}

bool Networksetting::IsDnsaddress(const QString& text)
{
    return AddressValidator::isDnsaddress(text);
}

void Networksetting::radiobuttondautoip_clicked()
{
    ui->radioButton_autoip->setChecked(true);
    ui->radioButton_autodns->setChecked(true);
    m_fields.setAutomatic();
}

void Networksetting::radiobuttondstaticip_clicked()
{
    ui->radioButton_staticip->setChecked(true);
    ui->radioButton_staicdns->setChecked(true);
    m_fields.setStatic();
}

void Networksetting::radiobuttondautodns_clicked()
{
    radiobuttondautoip_clicked();
}

void Networksetting::radiobuttondstaicdns_clicked()
{
    radiobuttondstaticip_clicked();
}

void Networksetting::pushbutton_saveclicked()
{
    const AddressingFile file = m_fields.values(ui->radioButton_staticip->isChecked());
    if (!AddressingFields::confirmSave(file))
        return;
    if (!file.write(QStringLiteral(NETCONFIGFILE))) {
        // The scripts would apply the old file.
        LauncherMessageBox::writeFailed();
        return;
    }
    sync();
#ifndef LAUNCHER_LITE
    ScriptRunner::startDetached(QStringLiteral(IFCONFIGWLAN0DOWNSCRIPT));
#endif
    ScriptRunner::startDetached(QStringLiteral(SETNETWORKSCRIPT));
}
