#pragma once

#include "addressingfields.h"

#include <QWidget>

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

    // Fills the page from the file (see PageFilling).
    void init_show();
    void show();
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
    Ui::Networksetting* ui;
    AddressingFields m_fields;
};
