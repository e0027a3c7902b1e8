#pragma once

#include <QWidget>

class PeripheralConfig;

namespace Ui {
class Soundsetting;
}

// Volume, mute, USB disks, UI language, keyboard layout and sound output,
// all in "peripheral/peripheralconfig".
class Soundsetting : public QWidget
{
    Q_OBJECT

public:
    explicit Soundsetting(QWidget* parent);
    ~Soundsetting() override;

    void init_show();
#ifndef LAUNCHER_LITE
    // Shows the page filled from the file.
    void show();
#endif
    void setlanguage();

public slots:
    // The mute box stores at once, without asking and without the script.
    void checkbox_clicked();
    void pushbutton_save_clicked();

private:
    PeripheralConfig values() const;

    Ui::Soundsetting* ui;
};
