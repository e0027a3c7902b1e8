#include "checknet.h"
#include "ui_checknet.h"

#include "terminalattribution.h"
#ifdef LAUNCHER_LITE
#include "devicepaths.h"

#include <QDir>
#endif

#include <QProcess>

Checknet::Checknet(QWidget* parent)
    : QWidget(parent)
    , ui(new Ui::Checknet)
    , m_process(new QProcess(this))
{
    ui->setupUi(this);
    setlanguage();
    connect(ui->pushButton_check, &QPushButton::clicked, this,
            &Checknet::pushbutton_checknet_clicked);
    connect(m_process, &QProcess::readyRead, this, &Checknet::check_readoutput);
#ifdef LAUNCHER_LITE
    delete ui->lineEdit_ip;
    ui->lineEdit_ip = nullptr;
    ui->comboBox->clear();
    ui->textEdit->setReadOnly(true);
    fillProfiles();
#else
    delete ui->comboBox;
    ui->comboBox = nullptr;
#endif
}

Checknet::~Checknet()
{
    delete ui;
}

void Checknet::setlanguage()
{
    TerminalAttribution* texts = TerminalAttribution::getInstance();
    ui->label_serverip->setText(texts->getLanguage(2));
    ui->pushButton_check->setText(texts->getLanguage(19));
}

#ifdef LAUNCHER_LITE
void Checknet::fillProfiles()
{
    const QStringList profiles =
        QDir(QStringLiteral(USRINFODIR)).entryList({QStringLiteral("*.usr")}, QDir::Files);
    for (const QString& profile : profiles)
        ui->comboBox->addItem(profile.chopped(4));
}
#endif

QStringList Checknet::pingArguments(const QString& address)
{
    QStringList arguments = {QStringLiteral("-c"), QStringLiteral("5")};
    // With nothing typed, ping runs without a host, as "ping -c 5 " would.
    if (!address.isEmpty())
        arguments << QStringLiteral("--") << address;
    return arguments;
}

void Checknet::pushbutton_checknet_clicked()
{
#ifdef LAUNCHER_LITE
    const QString address = ui->comboBox->currentText();
#else
    const QString address = ui->lineEdit_ip->text();
#endif
    if (m_process->state() == QProcess::NotRunning)
        m_process->start(QStringLiteral("ping"), pingArguments(address), QIODevice::ReadWrite);
    m_output.clear();
    ui->textEdit->clear();
}

void Checknet::check_readoutput()
{
    const QByteArray bytes = m_process->readAllStandardOutput();
    const qsizetype end = bytes.indexOf('\0');
    m_output += QString::fromLocal8Bit(end < 0 ? bytes : bytes.left(end));
    ui->textEdit->setText(m_output);
}
