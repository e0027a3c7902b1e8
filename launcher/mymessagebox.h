#pragma once

#include <QWidget>

class QTimer;

namespace Ui {
class mymessagebox;
}

// The countdown of the automatic connection, drawn inside the connection page.
class mymessagebox : public QWidget
{
    Q_OBJECT

public:
    explicit mymessagebox(QWidget* parent);
    ~mymessagebox() override;

    void set_Time(int seconds);
    // Shows the box and starts counting down.
    void show();
    void setlanguage();

signals:
    // 1: the countdown reached zero; 0: cancelled.
    void messagebox_closed_signal(int result);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private slots:
    void on_pushButton_cancle_clicked();
    void timer_timeout_slot();

private:
    void showTime();

    Ui::mymessagebox* ui;
    int time = 0;
    QTimer* m_timer;
};
