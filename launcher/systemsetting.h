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
// settings page. The network button first asks for the network type and
// switches the terminal between wired and wireless operation.
class Systemsetting : public QWidget
{
    Q_OBJECT

public:
    explicit Systemsetting(QWidget* parent);
    ~Systemsetting() override;

#ifndef LAUNCHER_LITE
    // Opens the area on the display page, freshly filled.
    void fistdisplay();
#endif
    void setlanguage();

signals:
    void close_setting_siger();

public slots:
    void close_setting_wdt();
    void displaysettingdlg_fun();
    void networkselectdlg_fun();
    void networksettingdlg_fun(int type);
    void soundsettingdlg_fun();
#ifndef LAUNCHER_LITE
    void passwdsettingdlg_fun();
#endif
    void checknetdlg_fun();
    void systeminfo_fun();

private:
#ifndef LAUNCHER_LITE
    // The recorded network type; ends the launcher when the file cannot be
    // opened, as nothing sensible can follow (false when a test's ending
    // returned instead).
    bool readNetworkType(QString* type);
    bool switchNetworkType(const QString& type);
#endif

    Ui::Systemsetting* ui;
    Displaysetting* m_display;
    Networksetting* m_network;
    Soundsetting* m_sound;
#ifndef LAUNCHER_LITE
    Passwdsetting* m_passwd;
#endif
    Checknet* m_checknet;
    Systermifno* m_sysinfo;
    SelectNetDialog* m_selectnet;
    WifiNetworksetting* m_wifi;
};
