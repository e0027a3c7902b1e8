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

    // Shows the page; the full launcher's with empty fields in normal frames.
    void show();
    void setlanguage();

public slots:
    // The full launcher's actions; launcher-lite has no buttons for them.
    void on_pushButto_delete_clicked();
    void on_pushButton_save_new_clicked();
    void on_pushButto_save_change_clicked();

private:
    void markNormal(QLineEdit* field);
    void refuse(QLineEdit* field, int textId);
    QFrame* frameOf(QLineEdit* field) const;

    Ui::Passwdsetting* ui;
};
