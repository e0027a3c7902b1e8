#include "logingwidget.h"
#include "ui_logingwidget.h"

#include "passwordrules.h"
#include "terminalattribution.h"

#include <QKeyEvent>

namespace {
const QString builtinPassword = QStringLiteral("kvsuper");
}

logingwidget::logingwidget(QWidget* parent)
    : QWidget(parent)
    , ui(new Ui::logingwidget)
{
    ui->setupUi(this);
    setlanguage();
    move((parent->width() - width()) / 2, (parent->height() - height()) / 2);
    ui->lineEdit_passwd->setEchoMode(QLineEdit::Password);
    ui->lineEdit_passwd->setFocus();
    connect(ui->lineEdit_passwd, &QLineEdit::returnPressed, this, &logingwidget::on_pushButton_signin_clicked);
}

logingwidget::~logingwidget()
{
    delete ui;
}

void logingwidget::setlanguage()
{
    TerminalAttribution* texts = TerminalAttribution::getInstance();
    ui->label_passwd->setText(texts->getLanguage(96));
    ui->pushButton_signin->setText(texts->getLanguage(119));
    ui->pushButton_cancle->setText(texts->getLanguage(118));
}

bool logingwidget::passwordAccepted(const QString& typed)
{
    if (typed == builtinPassword)
        return true;
    QStringList stored;
    if (!PasswordRules::storedPasswords(&stored))
        return false;
    // With every administrator password deleted, the empty entry signs in.
    if (stored.isEmpty())
        return typed.isEmpty();
    return stored.contains(typed);
}

void logingwidget::on_pushButton_signin_clicked()
{
    ui->lineEdit_passwd->setStyleSheet(QStringLiteral("border:1px solid black"));
    ui->lineEdit_passwd->setPlaceholderText(QString());
    if (passwordAccepted(ui->lineEdit_passwd->text())) {
        emit logingwidget_close_singal(true);
        return;
    }
    ui->lineEdit_passwd->clear();
    ui->lineEdit_passwd->setPlaceholderText(TerminalAttribution::getInstance()->getLanguage(104));
    ui->lineEdit_passwd->setStyleSheet(QStringLiteral("border:2px solid red"));
}

void logingwidget::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        on_pushButton_cancle_clicked();
        return;
    }
    QWidget::keyPressEvent(event);
}

void logingwidget::on_pushButton_cancle_clicked()
{
    emit logingwidget_close_singal(false);
}
