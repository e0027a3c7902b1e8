#pragma once

#include <QWidget>

class QButtonGroup;

namespace Ui {
class SelectNetDialog;
}

// The network-type choice of the settings area: wired (1) or wireless (2).
class SelectNetDialog : public QWidget
{
    Q_OBJECT

public:
    explicit SelectNetDialog(QWidget* parent);
    ~SelectNetDialog() override;

    // Checks the button of the recorded type: wireless only for exactly
    // "wireless". The full launcher only, which records a type.
    void updateradiobutton(const QString& type);

signals:
    void selectnetsignal(int type);

private slots:
    void on_pbtn_ok_clicked();

private:
    Ui::SelectNetDialog* ui;
    QButtonGroup* m_group;
};
