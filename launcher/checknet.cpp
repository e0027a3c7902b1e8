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
    // ping reports an unknown host or an unreachable network on standard error.
    m_process->setProcessChannelMode(QProcess::MergedChannels);
    connect(m_process, &QProcess::readyRead, this, &Checknet::check_readoutput);
    connect(m_process, &QProcess::finished, this, &Checknet::check_finished);
    connect(m_process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            check_finished();
    });
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
    // Spaces around a typed address are not part of the host name.
    const QString host = address.trimmed();
    // With nothing typed, ping runs without a host, as "ping -c 5 " would.
    if (!host.isEmpty())
        arguments << QStringLiteral("--") << host;
    return arguments;
}

void Checknet::pushbutton_checknet_clicked()
{
#ifdef LAUNCHER_LITE
    const QString address = ui->comboBox->currentText();
#else
    const QString address = ui->lineEdit_ip->text();
#endif
    // Emptied first: a ping that cannot start says so at once.
    m_output.clear();
    ui->textEdit->clear();
    if (m_process->state() == QProcess::NotRunning)
        m_process->start(QStringLiteral("ping"), pingArguments(address), QIODevice::ReadWrite);
}

void Checknet::check_readoutput()
{
    const QByteArray bytes = m_process->readAllStandardOutput();
    const qsizetype end = bytes.indexOf('\0');
    m_output += QString::fromLocal8Bit(end < 0 ? bytes : bytes.left(end));
    ui->textEdit->setText(m_output);
}

void Checknet::check_finished()
{
    // An empty box would read as if nothing had been checked.
    if (m_output.isEmpty())
        ui->textEdit->setText(TerminalAttribution::getInstance()->getLanguage(123));
}
