#pragma once

#include <QWidget>

namespace Ui {
class logingwidget;
}

// The administrator sign-in drawn inside the connection page.
class logingwidget : public QWidget
{
    Q_OBJECT

public:
    explicit logingwidget(QWidget* parent);
    ~logingwidget() override;

    void setlanguage();

    // The built-in administrator password, or any line of the password file.
    static bool passwordAccepted(const QString& typed);

signals:
    void logingwidget_close_singal(bool signedIn);

protected:
    // Escape cancels, as the cancel button does.
    void keyPressEvent(QKeyEvent* event) override;

private slots:
    void on_pushButton_signin_clicked();
    void on_pushButton_cancle_clicked();

private:
    Ui::logingwidget* ui;
};
