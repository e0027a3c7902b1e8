#pragma once

#include "networkindicator.h"
#include "serverprofile.h"

#include <QHash>
#include <QString>
#include <QWidget>

class QTimer;
class SignIn;

namespace Ui {
class Mainstackwidget;
}

// The automatic-connection flag ("1" or "0") of the profile loaded last.
extern QString autoconnection_g;

// The connection page: choose or type a server profile and connect; power
// off, reboot, the way to the settings and the profile manager, the network
// indicator and the automatic connection at start. The page fills and reads
// the profile form; connecting, the indicator's texts and the sign-in live in
// classes of their own.
class Mainstackwidget : public QWidget
{
    Q_OBJECT

public:
    explicit Mainstackwidget(QWidget* parent);
    ~Mainstackwidget() override;

    // The full launcher starts the automatic connection here when it is
    // armed, then shows the page.
    void show();
    // The network check without messages, as the countdown makes it.
    int checknet_fun_wan_delay();
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
    void autologin_fun();
    void close_firtlogin_fun();
    void close_firstlogin_usrmanger_fun();
    void update_usrinfodata();
    void pushbutton_connect_clicked();
    void pushbutton_poweroff_clicked();
    void pushbutton_reboot_clicked();
    void logingwidget_close_slot_settings(bool signedIn);
    void logingwidget_close_slot_userinfo(bool signedIn);
    void mymessagebox_closed_slot(int result);

protected:
    bool eventFilter(QObject* object, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // The profile as the form shows it.
    ServerProfile::Record shownProfile() const;
    // The full launcher: the mode file chooses the link.
    void updateChosenLink();
    // Launcher-lite: the wired link when it is usable, else the Wi-Fi.
    void updateEitherLink();
    void showWiredAddress();
    void showIndicator(const NetworkIndicator::Shown& shown);

    Ui::Mainstackwidget* ui;
    SignIn* m_signIn;
    QTimer* m_addressTimer = nullptr;
    NetworkIndicator m_indicator;
    // The full launcher: the password field holds a password loaded from a
    // profile, not typed.
    bool m_passwordLoaded = false;
    QString m_networkMode;
    QString m_localAddress;
    QString m_textPrefix;
    // The indicator's texts by text id, each after the prefix.
    QHash<int, QString> m_indicatorTexts;
    int m_wifiApplied = 0;
    int m_wiredApplied = 0;
};
