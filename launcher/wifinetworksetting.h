#pragma once

#include "addressingfields.h"

#include <QDialog>
#include <QModelIndex>

class QButtonGroup;
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

#ifndef LAUNCHER_LITE
    void init_show();
    // Shows the page with its addressing filled from the file.
    void show();
#endif
    void setlanguage();

    bool IsIPaddress(const QString& text);
    bool IsNetMask(const QString& text);
    bool IsDnsaddress(const QString& text);

public slots:
#ifndef LAUNCHER_LITE
    void on_pushButton_delete_clicked();
    void on_pushButton_dis_clicked();
#endif
    void on_pushButton_save_clicked();
    void on_listWidget_scan_result_doubleClicked(const QModelIndex& index);
    void on_pushButton_scan_clicked();
    void on_radioButton_staticdns_clicked();
    void on_radioButton_autodns_clicked();
    void on_radioButton_staticip_clicked();
    void on_radioButton_autoip_clicked();
    // The status tick: runs the status script and shows what it found.
    void update_ipaddr_fun();

#ifndef LAUNCHER_LITE
protected:
    void keyPressEvent(QKeyEvent* event) override;
#endif

private:
    void fill(const AddressingFile& file);
    void showStatus();
    void showScanResult();

    Ui::WifiNetworksetting* ui;
    QButtonGroup* m_ipGroup;
    QButtonGroup* m_dnsGroup;
    AddressingFields m_fields;
    QTimer* m_timer;
    // The page's scripts and those of its connect dialogs run one at a time,
    // in order, without blocking the GUI; a tick that finds its previous
    // status run still queued or running is skipped.
    ScriptSequence* m_scripts;
    bool m_statusQueued = false;
};
