#pragma once

#include <QWidget>

namespace Ui {
class Usrmanger;
}

// The profile manager: lists the saved server profiles, edits, saves and
// deletes them.
class Usrmanger : public QWidget
{
    Q_OBJECT

public:
    explicit Usrmanger(QWidget* parent);
    ~Usrmanger() override;

    // Reloads the profile list, then shows the page.
    void show();
    void tablewdiget_init();
    void updatelistwidget(const QString& name);
    void listwidget_update_point(const QString& name);
    static bool IsIPaddress(const QString& text);
    void setlanguage();

signals:
    void close_usrmangerr_siger();

public slots:
    void close_usrmangerr_fun();
    void pushbutton_create();
    void pushbutton_delete();
    void updatelisttolineedit();

protected:
    bool eventFilter(QObject* object, QEvent* event) override;

private:
    Ui::Usrmanger* ui;
};
