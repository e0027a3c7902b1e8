#pragma once

#include <QString>
#include <QWidget>

class QTimer;

namespace Ui {
class Mainstackwidget;
}

// The automatic-connection flag ("1" or "0") of the profile loaded last.
extern QString autoconnection_g;

// The connection page: choose or type a server profile and connect; power
// off, reboot, the way to the settings and the profile manager, the network
// indicator and the automatic connection at start.
class Mainstackwidget : public QWidget
{
    Q_OBJECT

public:
    explicit Mainstackwidget(QWidget* parent);
    ~Mainstackwidget() override;

#ifndef LAUNCHER_LITE
    // Starts the automatic connection when it is armed, then shows the page.
    void show();
    int checknet_fun_wan_delay();
#endif
    void setlanguage();
    int checknet_fun();
    // 0: running with an address; 1: address but not running; -1: no address
    // or no such interface.
    int net_detect(const char* name);
    int getlocalInfo();
    int getlocalInfo_wifi();

signals:
    void close_firtlogin_siger();
    void close_firtlogin_siger_usrmanger();

public slots:
    void combox_init();
    void update_ipaddr_fun();
    bool update_ipaddr_wifi();
#ifdef LAUNCHER_LITE
    void autologin_fun();
#endif
    void close_firtlogin_fun();
    void close_firstlogin_usrmanger_fun();
    void update_usrinfodata();
    void pushbutton_connect_clicked();
    void pushbutton_poweroff_clicked();
    void pushbutton_reboot_clicked();
#ifndef LAUNCHER_LITE
    void logingwidget_close_slot_settings(bool signedIn);
    void logingwidget_close_slot_userinfo(bool signedIn);
    void mymessagebox_closed_slot(int result);
#endif

protected:
    bool eventFilter(QObject* object, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
#ifndef LAUNCHER_LITE
    void resizeEvent(QResizeEvent* event) override;
#endif

private:
    // The network check before connecting: 0 go, 1 the ping failed, 2 no
    // usable interface. With messages, a failure is shown in a box.
    int checknet(bool withMessages);
    void setIndicator(const QString& text, const char* picture);
    QString waitingText(int& step, int& waited) const;
    void showWiredAddress();
#ifndef LAUNCHER_LITE
    void closeSender();
    void openLogin(void (Mainstackwidget::*closedSlot)(bool));
    void startCountdown();
#endif

    Ui::Mainstackwidget* ui;
    QTimer* m_addressTimer = nullptr;
#ifdef LAUNCHER_LITE
    QTimer* m_autologinTimer = nullptr;
#else
    int m_countdownSeconds = 0;
    // The password field holds a password loaded from a profile, not typed.
    bool m_passwordLoaded = false;
    QString m_networkMode;
#endif
    QString m_localAddress;
    QString m_textPrefix;
    QString m_statusText1;
    QString m_statusText2;
    QString m_statusText3;
    QString m_statusText4;
    int m_wifiApplied = 0;
    int m_wiredApplied = 0;
};
