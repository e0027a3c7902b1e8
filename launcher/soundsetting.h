#pragma once

#include "pagefilling.h"
#include "peripheralconfig.h"

#include <QWidget>

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

    // Fills the page from the file, when PageFilling says.
    void init_show();
    void show() { PageFilling::whenShown(*this); }
    void setlanguage();

public slots:
    // The mute box stores at once, without asking and without the script.
    void checkbox_clicked();
    void pushbutton_save_clicked();

private:
    void fill(const PeripheralConfig& config);
    // Where the slider stands for a stored value: a value read back from
    // there is the stored one.
    static int shownPosition(const PeripheralConfig& config);
    void setMuted(bool mute, int position);
    PeripheralConfig values() const;
    // Writes and flushes the file, or says that it could not; false then.
    bool store(const PeripheralConfig& config);

    Ui::Soundsetting* ui;
    // What the file holds, so that a value nobody changed is written back as
    // it was.
    PeripheralConfig m_stored;
};
