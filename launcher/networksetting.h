#pragma once

#include "addressingfields.h"

#include <QWidget>

class QButtonGroup;

namespace Ui {
class Networksetting;
}

// The wired interface's addressing: automatic, or a static address with
// netmask, gateway and up to two DNS servers, kept in "network/netconfig".
class Networksetting : public QWidget
{
    Q_OBJECT

public:
    explicit Networksetting(QWidget* parent);
    ~Networksetting() override;

#ifndef LAUNCHER_LITE
    void init_show();
    // Shows the page filled from the file.
    void show();
#endif
    void setlanguage();

    bool IsIPaddress(const QString& text);
    bool IsNetMask(const QString& text);
    bool IsDnsaddress(const QString& text);

public slots:
    void radiobuttondautoip_clicked();
    void radiobuttondstaticip_clicked();
    void radiobuttondautodns_clicked();
    void radiobuttondstaicdns_clicked();
    void pushbutton_saveclicked();

private:
    void fill(const AddressingFile& file);

    Ui::Networksetting* ui;
    QButtonGroup* m_ipGroup;
    QButtonGroup* m_dnsGroup;
    AddressingFields m_fields;
};
