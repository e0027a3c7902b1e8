#pragma once

#include <QWidget>

class Checknet;
class Displaysetting;
class Networksetting;
class Passwdsetting;
class SelectNetDialog;
class Soundsetting;
class Systermifno;
class WifiNetworksetting;

namespace Ui {
class Systemsetting;
}

// The settings area: a column of buttons beside a stack holding every
// settings page. The network button first asks for the network type; the
// full launcher then switches the terminal between wired and wireless
// operation (systemsetting_full.cpp), launcher-lite only opens the page of
// the chosen type (systemsetting_lite.cpp).
class Systemsetting : public QWidget
{
    Q_OBJECT

public:
    explicit Systemsetting(QWidget* parent);
    ~Systemsetting() override;

    // Opens the area on the display page, freshly filled.
    void fistdisplay();
    void setlanguage();

signals:
    void close_setting_siger();

public slots:
    void close_setting_wdt();
    void displaysettingdlg_fun();
    void networkselectdlg_fun();
    void networksettingdlg_fun(int type);
    void soundsettingdlg_fun();
    // Not connected in launcher-lite, which has no password page.
    void passwdsettingdlg_fun();
    void checknetdlg_fun();
    void systeminfo_fun();

private:
    // The full launcher's network choice (systemsetting_full.cpp): the
    // recorded network type, which ends the launcher when the file cannot be
    // opened, as nothing sensible can follow (false when a test's ending
    // returned instead); and the switch to another type.
    bool readNetworkType(QString* type);
    bool switchNetworkType(const QString& type);

    Ui::Systemsetting* ui;
    Displaysetting* m_display;
    Networksetting* m_network;
    Soundsetting* m_sound;
    Passwdsetting* m_passwd = nullptr; // none in launcher-lite
    Checknet* m_checknet;
    Systermifno* m_sysinfo;
    SelectNetDialog* m_selectnet;
    WifiNetworksetting* m_wifi;
};
