#pragma once

#include <QDialog>

class ScriptSequence;
class TerminalAttribution;
class WifiStatus;

namespace Ui {
class WifiConnectDialog;
}

// Joins one network: takes the passphrase, writes the supplicant
// configuration, has the device scripts associate, keeps the passphrase once
// they did, waits and shows whether an address came. A file that cannot be
// written stops the connection with a message. The scripts run in the
// Wi-Fi page's queue (or one of the dialog's own when it has none), one
// after another without blocking the GUI, with Connect, Back and Disconnect
// locked meanwhile.
class WifiConnectDialog : public QDialog
{
    Q_OBJECT

public:
    explicit WifiConnectDialog(QWidget* parent, ScriptSequence* scripts = nullptr);
    ~WifiConnectDialog() override;

    // The network and its saved passphrase; shows the current association.
    void putinfo(const QString& name, const QString& savedPassphrase);
    void setlanguage();

    // Reads the status file the status script leaves behind. That script
    // runs from start-up on, so a missing file means a broken device and
    // ends the launcher; false when a test's ending returned instead.
    static bool readStatus(WifiStatus* status);

signals:
    void connect_wifi_start();
    void getting_ip_start();
    void label_settext_signal();

public slots:
    void on_pushButton_clicked();
    void on_pushButton_connect_clicked();
    void on_checkBox_showpasswd_clicked(bool checked);
    void on_pushButton_back_clicked();
    void on_connect_wifi_start();
    void on_getting_ip();
    void on_label_settext();

protected:
    // The full launcher ignores Escape and Delete, which would close the dialog.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void setBusy(bool busy);
    void setStatus(int textId);
    void refusePassphrase(int textId);
    // False, after telling the user, when a file could not be written.
    bool stored(bool written);
    void afterAssociation();
    void afterAddressCheck();

    Ui::WifiConnectDialog* ui;
    QString m_name;
    QString m_passphrase;
    TerminalAttribution* m_texts;
    ScriptSequence* m_scripts;
};
