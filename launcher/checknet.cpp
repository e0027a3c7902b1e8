#include "checknet.h"
#include "ui_checknet.h"

#include "launcherbuild.h"
#include "scriptprocess.h"
#include "serverprofile.h"
#include "terminalattribution.h"

Checknet::Checknet(QWidget* parent)
    : QWidget(parent)
    , ui(new Ui::Checknet)
    // ping reports an unknown host or an unreachable network on standard error.
    , m_process(new ScriptProcess(ScriptProcess::Channels::Merged, this))
{
    ui->setupUi(this);
    setlanguage();
    connect(ui->pushButton_check, &QPushButton::clicked, this,
            &Checknet::pushbutton_checknet_clicked);
    connect(m_process, &ScriptProcess::outputReady, this, &Checknet::check_readoutput);
    connect(m_process, &ScriptProcess::ended, this, &Checknet::check_finished);
    if constexpr (liteBuild) {
        delete ui->lineEdit_ip;
        ui->lineEdit_ip = nullptr;
        ui->comboBox->clear();
        ui->textEdit->setReadOnly(true);
        fillProfiles();
    } else {
        delete ui->comboBox;
        ui->comboBox = nullptr;
    }
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

void Checknet::fillProfiles()
{
    ui->comboBox->addItems(ServerProfile::names());
}

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
    const QString address = liteBuild ? ui->comboBox->currentText() : ui->lineEdit_ip->text();
    // Emptied first: a ping that cannot start says so at once.
    m_output.clear();
    ui->textEdit->clear();
    if (!m_process->isRunning())
        m_process->start(QStringLiteral("ping"), pingArguments(address));
}

void Checknet::check_readoutput()
{
    const QByteArray bytes = m_process->readOutput();
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
