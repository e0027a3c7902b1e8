#pragma once

#include <QWidget>

class QFrame;
class QLineEdit;

namespace Ui {
class Passwdsetting;
}

// Adds, changes and deletes administrator passwords through the password
// scripts; refusals are shown on the field. launcher-lite only shows the
// fields.
class Passwdsetting : public QWidget
{
    Q_OBJECT

public:
    explicit Passwdsetting(QWidget* parent);
    ~Passwdsetting() override;

#ifndef LAUNCHER_LITE
    // Shows the page with empty fields in normal frames.
    void show();
    void setlanguage();

public slots:
    void on_pushButto_delete_clicked();
    void on_pushButton_save_new_clicked();
    void on_pushButto_save_change_clicked();

private:
    void markNormal(QLineEdit* field);
    void refuse(QLineEdit* field, int textId);
    QFrame* frameOf(QLineEdit* field) const;
#endif

private:
    Ui::Passwdsetting* ui;
};
