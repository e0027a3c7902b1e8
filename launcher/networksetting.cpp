#include "networksetting.h"
#include "ui_networksetting.h"

#include "addressingfile.h"
#include "addressvalidator.h"
#include "devicepaths.h"
#include "launcherbuild.h"
#include "launchermessagebox.h"
#include "pagefilling.h"
#include "scriptrunner.h"
#include "terminalattribution.h"

#include <unistd.h>

Networksetting::Networksetting(QWidget* parent)
    : QWidget(parent)
    , ui(new Ui::Networksetting)
{
    ui->setupUi(this);
    m_fields = AddressingFields(
        {ui->radioButton_autoip,
         ui->radioButton_staticip,
         ui->radioButton_autodns,
         ui->radioButton_staicdns,
         {ui->lineEdit_autoip, ui->lineEdit_mask, ui->lineEdit_gateway, ui->lineEdit_dns1,
          ui->lineEdit_dns2},
         {ui->label_ipadd, ui->label_dns, ui->label_ipaddr, ui->label_mask, ui->label_gateway,
          ui->label_dns1, ui->label_dns2}},
        this);
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
    PageFilling::whenBuilt(*this);
}

Networksetting::~Networksetting()
{
    delete ui;
}

void Networksetting::init_show()
{
    m_fields.fill(AddressingFile::read(QStringLiteral(NETCONFIGFILE)));
}

void Networksetting::show()
{
    PageFilling::whenShown(*this);
}

void Networksetting::setlanguage()
{
    m_fields.setTexts();
    ui->pushButton_save->setText(TerminalAttribution::getInstance()->getLanguage(21));
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
    m_fields.setAutomatic();
}

void Networksetting::radiobuttondstaticip_clicked()
{
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
    const AddressingFile file = m_fields.values();
    if (!AddressingFields::confirmSave(file))
        return;
    if (!file.write(QStringLiteral(NETCONFIGFILE))) {
        // The scripts would apply the old file.
        LauncherMessageBox::writeFailed();
        return;
    }
    sync();
    if constexpr (!liteBuild)
        ScriptRunner::startDetached(QStringLiteral(IFCONFIGWLAN0DOWNSCRIPT));
    ScriptRunner::startDetached(QStringLiteral(SETNETWORKSCRIPT));
}
