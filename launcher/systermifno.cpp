#include "systermifno.h"
#include "ui_systermifno.h"

#include "devicepaths.h"
#include "launchermessagebox.h"
#include "scriptrunner.h"
#include "terminalattribution.h"

Systermifno::Systermifno(QWidget* parent)
    : QWidget(parent)
    , ui(new Ui::Systermifno)
{
    ui->setupUi(this);
    setlanguage();
    connect(ui->pushButton_recovery, &QPushButton::clicked, this,
            &Systermifno::pushbutton_recovery_clicked);
}

Systermifno::~Systermifno()
{
    delete ui;
}

void Systermifno::setlanguage()
{
    TerminalAttribution* texts = TerminalAttribution::getInstance();
    ui->label_cpu->setText(texts->getLanguage(37));
    ui->label_cpufreq->setText(texts->getLanguage(41));
    ui->label_ddr->setText(texts->getLanguage(38));
    ui->label_ddrsize->setText(texts->getLanguage(42));
    ui->label_nand->setText(texts->getLanguage(39));
    ui->label_nandsize->setText(texts->getLanguage(43));
    ui->label_ver->setText(texts->getLanguage(40));
    ui->label_verinfo->setText(texts->getLanguage(44));
    ui->pushButton_recovery->setText(texts->getLanguage(36));
}

void Systermifno::pushbutton_recovery_clicked()
{
    // Everything is lost: only an explicit Yes resets; Escape, closing or Enter keep the settings.
    const QMessageBox::StandardButton answer = LauncherMessageBox::information(
        TerminalAttribution::getInstance()->getLanguage(51), QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
    if (answer == QMessageBox::Yes)
        ScriptRunner::execute(QStringLiteral(RECOVERYFACTORYSCRIPT));
}
