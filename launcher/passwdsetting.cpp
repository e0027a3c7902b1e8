#include "passwdsetting.h"
#include "ui_passwdsetting.h"

#include "devicepaths.h"
#include "launcherbuild.h"
#include "litewidgets.h"
#include "passwordrules.h"
#include "scriptrunner.h"
#include "terminalattribution.h"

Passwdsetting::Passwdsetting(QWidget* parent)
    : QWidget(parent)
    , ui(new Ui::Passwdsetting)
{
    ui->setupUi(this);
    if constexpr (liteBuild) {
        // Display only: the fields without any action.
        removeWidgets(ui->pushButton_save_new, ui->pushButto_save_change, ui->pushButto_delete);
        for (QFrame* frame : {ui->frame_2, ui->frame_3, ui->frame_4, ui->frame_5, ui->frame_6})
            frame->setStyleSheet(QStringLiteral("border-image: url(:/images/lineedit.png);"));
    } else {
        removeWidgets(ui->pushButton_back);
        setlanguage();
    }
    for (QLineEdit* field : {ui->lineEdit_passwd, ui->lineEdit_repeatpasswd, ui->lineEdit_oldpasswd,
                             ui->lineEdit_newpasswd, ui->lineEdit_repeatnewpasswd})
        field->setEchoMode(QLineEdit::Password);
}

Passwdsetting::~Passwdsetting()
{
    delete ui;
}

void Passwdsetting::setlanguage()
{
    TerminalAttribution* texts = TerminalAttribution::getInstance();
    ui->label_setpasswd->setText(texts->getLanguage(95));
    ui->label_passwd->setText(texts->getLanguage(96));
    ui->label_comfim->setText(texts->getLanguage(97));
    ui->pushButton_save_new->setText(texts->getLanguage(21));
    ui->label_changepasswd->setText(texts->getLanguage(98));
    ui->label_oldpasswd->setText(texts->getLanguage(99));
    ui->label_newpasswd->setText(texts->getLanguage(100));
    ui->label_repeatpasswd->setText(texts->getLanguage(97));
    ui->pushButto_save_change->setText(texts->getLanguage(21));
    ui->pushButto_delete->setText(texts->getLanguage(14));
}

void Passwdsetting::show()
{
    if constexpr (!liteBuild) {
        for (QLineEdit* field : {ui->lineEdit_passwd, ui->lineEdit_repeatpasswd,
                                 ui->lineEdit_oldpasswd, ui->lineEdit_newpasswd,
                                 ui->lineEdit_repeatnewpasswd}) {
            field->clear();
            markNormal(field);
        }
    }
    QWidget::show();
}

QFrame* Passwdsetting::frameOf(QLineEdit* field) const
{
    return qobject_cast<QFrame*>(field->parentWidget());
}

void Passwdsetting::markNormal(QLineEdit* field)
{
    field->setPlaceholderText(QString());
    frameOf(field)->setStyleSheet(QStringLiteral("border:1px solid black"));
}

void Passwdsetting::refuse(QLineEdit* field, int textId)
{
    field->setPlaceholderText(TerminalAttribution::getInstance()->getLanguage(textId));
    frameOf(field)->setStyleSheet(QStringLiteral("border:2px solid red"));
}

void Passwdsetting::on_pushButton_save_new_clicked()
{
    QLineEdit* password = ui->lineEdit_passwd;
    QLineEdit* repeat = ui->lineEdit_repeatpasswd;
    markNormal(password);
    markNormal(repeat);
    if (PasswordRules::containsForbidden(password->text())) {
        password->clear();
        repeat->clear();
        refuse(password, 121);
        return;
    }
    if (password->text().isEmpty()) {
        refuse(password, 111);
        return;
    }
    if (repeat->text().isEmpty()) {
        refuse(repeat, 112);
        return;
    }
    if (password->text() != repeat->text()) {
        repeat->clear();
        refuse(repeat, 114);
        return;
    }
    if (PasswordRules::isStored(password->text())) {
        password->clear();
        repeat->clear();
        refuse(password, 116);
        return;
    }
    ScriptRunner::startDetached(QStringLiteral(SETPASSWDSCRIPT), {password->text()});
    password->clear();
    repeat->clear();
}

void Passwdsetting::on_pushButto_save_change_clicked()
{
    QLineEdit* current = ui->lineEdit_oldpasswd;
    QLineEdit* password = ui->lineEdit_newpasswd;
    QLineEdit* repeat = ui->lineEdit_repeatnewpasswd;
    markNormal(current);
    markNormal(password);
    markNormal(repeat);
    if (current->text().isEmpty()) {
        refuse(current, 111);
        return;
    }
    if (password->text().isEmpty()) {
        refuse(password, 113);
        return;
    }
    if (repeat->text().isEmpty()) {
        refuse(repeat, 112);
        return;
    }
    if (password->text() != repeat->text()) {
        repeat->clear();
        refuse(repeat, 114);
        return;
    }
    if (PasswordRules::containsForbidden(password->text())) {
        password->clear();
        repeat->clear();
        refuse(password, 121);
        return;
    }
    if (password->text() == current->text()) {
        password->clear();
        repeat->clear();
        refuse(password, 117);
        return;
    }
    QStringList stored;
    PasswordRules::storedPasswords(&stored);
    if (stored.contains(password->text())) {
        password->clear();
        repeat->clear();
        refuse(password, 116);
        return;
    }
    const QString oldPassword = current->text();
    current->clear();
    if (!stored.contains(oldPassword)) {
        refuse(current, 115);
        return;
    }
    ScriptRunner::startDetached(QStringLiteral(CHANGEPASSWDSCRIPT),
                                {oldPassword, password->text()});
    password->clear();
    repeat->clear();
}

void Passwdsetting::on_pushButto_delete_clicked()
{
    QLineEdit* current = ui->lineEdit_oldpasswd;
    markNormal(current);
    if (current->text().isEmpty()) {
        refuse(current, 111);
        return;
    }
    const QString password = current->text();
    current->clear();
    if (PasswordRules::isStored(password)) {
        ScriptRunner::startDetached(QStringLiteral(DELETEPASSWDSCRIPT), {password});
        return;
    }
    refuse(current, 115);
}
