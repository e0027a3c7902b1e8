#include "usrmanger.h"
#include "ui_usrmanger.h"

#include "addressvalidator.h"
#include "launcherbuild.h"
#include "launchermessagebox.h"
#include "litewidgets.h"
#include "serverprofile.h"
#include "terminalattribution.h"

#include <QKeyEvent>

#include <unistd.h>

namespace {
// List entries are indented by ten spaces; the profile name follows.
const QString entryIndent(10, QLatin1Char(' '));
}

Usrmanger::Usrmanger(QWidget* parent)
    : QWidget(parent)
    , ui(new Ui::Usrmanger)
{
    ui->setupUi(this);
#ifdef LAUNCHER_LITE
    // Seven-line profiles: no protocol version and no countdown.
    removeWidgets(ui->labels_selectRDP, ui->comboBox_selectRDP, ui->frame_7, ui->spinBox);
#endif
    connect(ui->pushButton_back, &QPushButton::clicked, this, &Usrmanger::close_usrmangerr_fun);
    connect(ui->pushButton_create, &QPushButton::clicked, this, &Usrmanger::pushbutton_create);
    connect(ui->pushButton_delete, &QPushButton::clicked, this, &Usrmanger::pushbutton_delete);
    connect(ui->listWidget, &QListWidget::pressed, this, &Usrmanger::updatelisttolineedit);
    ui->lineEdit_passwd->setEchoMode(QLineEdit::Password);
    // The fields fill their frame pictures; the text keeps off the rounded edge.
    for (QLineEdit* edit : {ui->lineEdit_ip, ui->lineEdit_usrname, ui->lineEdit_passwd, ui->lineEdit_port,
                            ui->lineEdit_domain})
        edit->setTextMargins(8, 0, 8, 0);
    ui->lineEdit_ip->setFocus();
    for (QWidget* widget : {static_cast<QWidget*>(ui->lineEdit_ip), static_cast<QWidget*>(ui->lineEdit_usrname),
                            static_cast<QWidget*>(ui->lineEdit_passwd), static_cast<QWidget*>(ui->lineEdit_port),
                            static_cast<QWidget*>(ui->lineEdit_domain), static_cast<QWidget*>(ui->checkBox)})
        widget->installEventFilter(this);
#ifdef LAUNCHER_LITE
    tablewdiget_init();
#endif
    setlanguage();
}

Usrmanger::~Usrmanger()
{
    delete ui;
}

void Usrmanger::show()
{
    tablewdiget_init();
    QWidget::show();
}

void Usrmanger::close_usrmangerr_fun()
{
    emit close_usrmangerr_siger();
}

void Usrmanger::tablewdiget_init()
{
#ifndef LAUNCHER_LITE
    ui->comboBox_selectRDP->clear();
    ui->comboBox_selectRDP->addItem(QStringLiteral("RDP 8.1"));
#endif
    const QStringList names = ServerProfile::names();
    ui->listWidget->clear();
    if (names.isEmpty()) {
        ui->lineEdit_port->setText(QStringLiteral("3389"));
#ifndef LAUNCHER_LITE
        ui->comboBox_selectRDP->setCurrentIndex(0);
#endif
        return;
    }
    for (const QString& name : names) {
        auto* entry = new QListWidgetItem(QIcon(), entryIndent + name, ui->listWidget);
        entry->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    }
    ui->listWidget->setCurrentRow(0);
    updatelistwidget(names.first());
}

void Usrmanger::updatelistwidget(const QString& name)
{
    const QStringList lines = ServerProfile::read(name, ServerProfile::lineCount(liteBuild));
    ui->lineEdit_ip->setText(lines[ServerProfile::Address]);
    ui->lineEdit_usrname->setText(lines[ServerProfile::Usrname]);
    ui->lineEdit_port->setText(lines[ServerProfile::Port]);
    ui->lineEdit_domain->setText(lines[ServerProfile::Domain]);
#ifndef LAUNCHER_LITE
    ui->spinBox->setValue(lines[ServerProfile::Countdown].toInt());
#endif
    if (lines[ServerProfile::Remember].contains(QLatin1Char('1'))) {
        ui->checkBox->setChecked(true);
        ui->lineEdit_passwd->setText(lines[ServerProfile::Passwd]);
    } else {
        ui->checkBox->setChecked(false);
        ui->lineEdit_passwd->clear();
    }
    ui->checkBox_autoconnect->setChecked(lines[ServerProfile::Autoconnect].contains(QLatin1Char('1')));
#ifndef LAUNCHER_LITE
    ui->comboBox_selectRDP->setCurrentIndex(0);
#endif
}

void Usrmanger::updatelisttolineedit()
{
    const QListWidgetItem* entry = ui->listWidget->currentItem();
    if (entry)
        updatelistwidget(entry->text().mid(entryIndent.size()));
}

void Usrmanger::listwidget_update_point(const QString& name)
{
    // Exactly the named profile: "10.0.0.1" must not select "10.0.0.15".
    const int row = int(ServerProfile::names().indexOf(name));
    if (row >= 0) {
        ui->listWidget->setCurrentRow(row);
        updatelistwidget(name);
    }
}

bool Usrmanger::IsIPaddress(const QString& text)
{
    return AddressValidator::isIPaddress(text);
}

void Usrmanger::pushbutton_create()
{
    const QString address = ui->lineEdit_ip->text();
    if (!IsIPaddress(address)) {
        LauncherMessageBox::information(TerminalAttribution::getInstance()->getLanguage(69), QMessageBox::Yes);
        return;
    }
    QString remember = QStringLiteral("0");
    QString passwd;
    if (ui->checkBox->isChecked()) {
        remember = QStringLiteral("1");
        passwd = ui->lineEdit_passwd->text();
    } else {
        ui->lineEdit_passwd->clear();
    }
    QStringList lines{address,
                      ui->lineEdit_usrname->text(),
                      passwd,
                      ui->lineEdit_port->text(),
                      ui->lineEdit_domain->text(),
                      remember,
                      ui->checkBox_autoconnect->isChecked() ? QStringLiteral("1") : QStringLiteral("0")};
#ifndef LAUNCHER_LITE
    lines << QString::number(ui->comboBox_selectRDP->currentIndex()) << ui->spinBox->text();
#endif
    if (!ServerProfile::write(lines)) {
        LauncherMessageBox::writeFailed();
        return;
    }
    ::sync();
    tablewdiget_init();
    listwidget_update_point(address);
}

void Usrmanger::pushbutton_delete()
{
    const QString address = ui->lineEdit_ip->text();
    const int answer = LauncherMessageBox::information(
        TerminalAttribution::getInstance()->getLanguage(50), QMessageBox::Yes | QMessageBox::No);
    if (answer == QMessageBox::Yes && !address.isEmpty()) {
        ServerProfile::remove(address);
        tablewdiget_init();
        listwidget_update_point(address);
    }
    for (QLineEdit* edit : {ui->lineEdit_ip, ui->lineEdit_usrname, ui->lineEdit_passwd, ui->lineEdit_port,
                            ui->lineEdit_domain})
        edit->clear();
    ::sync();
    tablewdiget_init();
}

bool Usrmanger::eventFilter(QObject* object, QEvent* event)
{
    if (event->type() != QEvent::KeyPress || static_cast<QKeyEvent*>(event)->key() != Qt::Key_Tab)
        return QWidget::eventFilter(object, event);
    // Address, user, password, port, domain, remember, and round again.
    const QList<QWidget*> cycle{ui->lineEdit_ip, ui->lineEdit_usrname, ui->lineEdit_passwd,
                                ui->lineEdit_port, ui->lineEdit_domain, ui->checkBox};
    const int current = cycle.indexOf(focusWidget());
    if (current < 0)
        return QWidget::eventFilter(object, event);
    cycle[(current + 1) % cycle.size()]->setFocus(Qt::TabFocusReason);
    return true;
}

void Usrmanger::setlanguage()
{
    TerminalAttribution* texts = TerminalAttribution::getInstance();
    ui->pushButton_back->setText(texts->getLanguage(15));
    ui->label_serverip->setText(texts->getLanguage(2));
    ui->label_usrname->setText(texts->getLanguage(3));
    ui->label_passwd->setText(texts->getLanguage(4));
    ui->label_port->setText(texts->getLanguage(5));
    ui->label_domain->setText(texts->getLanguage(6));
    ui->pushButton_create->setText(texts->getLanguage(13));
    ui->pushButton_delete->setText(texts->getLanguage(14));
    ui->checkBox->setText(texts->getLanguage(12));
    ui->checkBox_autoconnect->setText(texts->getLanguage(74));
}
