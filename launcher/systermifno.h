#pragma once

#include <QWidget>

namespace Ui {
class Systermifno;
}

// The terminal's fixed description and the factory reset.
class Systermifno : public QWidget
{
    Q_OBJECT

public:
    explicit Systermifno(QWidget* parent);
    ~Systermifno() override;

    void setlanguage();

public slots:
    void pushbutton_recovery_clicked();

private:
    Ui::Systermifno* ui;
};
