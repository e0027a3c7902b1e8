#pragma once

#include "addressingfields.h"

#include <QDialog>
#include <QModelIndex>

class QTimer;
class ScriptSequence;

namespace Ui {
class WifiNetworksetting;
}

// The wireless interface: networks in range, the association shown once a
// second, disconnect and forget, and the addressing in "wificonfig.txt".
class WifiNetworksetting : public QDialog
{
    Q_OBJECT

public:
    explicit WifiNetworksetting(QWidget* parent);
    ~WifiNetworksetting() override;

    // Fills the addressing from the file (see PageFilling).
    void init_show();
    void show();
    void setlanguage();

    bool IsIPaddress(const QString& text);
    bool IsNetMask(const QString& text);
    bool IsDnsaddress(const QString& text);

public slots:
    // Disconnect and forget; launcher-lite has neither button.
    void on_pushButton_delete_clicked();
    void on_pushButton_dis_clicked();
    void on_pushButton_save_clicked();
    void on_listWidget_scan_result_doubleClicked(const QModelIndex& index);
    void on_pushButton_scan_clicked();
    void on_radioButton_staticdns_clicked();
    void on_radioButton_autodns_clicked();
    void on_radioButton_staticip_clicked();
    void on_radioButton_autoip_clicked();
    // The status tick: runs the status script and shows what it found.
    void update_ipaddr_fun();

protected:
    // The full launcher ignores Escape and Delete, which would close the page.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void showStatus();
    void showScanResult();

    Ui::WifiNetworksetting* ui;
    AddressingFields m_fields;
    QTimer* m_timer;
    // The page's scripts and those of its connect dialogs run one at a time,
    // in order, without blocking the GUI; a tick that finds its previous
    // status run still queued or running is skipped.
    ScriptSequence* m_scripts;
    bool m_statusQueued = false;
};
