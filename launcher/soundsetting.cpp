#include "soundsetting.h"
#include "ui_soundsetting.h"

#include "devicepaths.h"
#include "launchermessagebox.h"
#include "peripheralconfig.h"
#include "scriptrunner.h"
#include "terminalattribution.h"

#include <unistd.h>

Soundsetting::Soundsetting(QWidget* parent)
    : QWidget(parent)
    , ui(new Ui::Soundsetting)
{
    ui->setupUi(this);
    setlanguage();
    TerminalAttribution* texts = TerminalAttribution::getInstance();
    ui->comboBox_language->addItems({texts->getLanguage(45), texts->getLanguage(46)});
    for (int id = 60; id <= 68; ++id)
        ui->comboBox_keyboard->addItem(texts->getLanguage(id));
    connect(ui->pushButton_save, &QPushButton::clicked, this,
            &Soundsetting::pushbutton_save_clicked);
    connect(ui->checkBox_mute, &QCheckBox::clicked, this, &Soundsetting::checkbox_clicked);
    PageFilling::whenBuilt(*this);
}

Soundsetting::~Soundsetting()
{
    delete ui;
}

void Soundsetting::init_show()
{
    fill(PeripheralConfig::read());
}

void Soundsetting::fill(const PeripheralConfig& config)
{
    setMuted(config.mute, shownPosition(config));
    ui->checkBox_allowusb->setChecked(config.usbDisk);
    if (config.soundCard.contains(QLatin1String("HDMI")))
        ui->radioButton_hdmi->setChecked(true);
    else
        ui->radioButton_vga->setChecked(true);
    ui->comboBox_language->setCurrentIndex(config.language);
    ui->comboBox_keyboard->setCurrentIndex(config.keyboard);
    m_stored = config;
}

int Soundsetting::shownPosition(const PeripheralConfig& config)
{
    return config.mute ? 0 : PeripheralConfig::sliderFromVolume(config.volume);
}

void Soundsetting::setMuted(bool mute, int position)
{
    ui->checkBox_mute->setChecked(mute);
    ui->horizontalSlider->setEnabled(!mute);
    ui->horizontalSlider->setValue(position);
}

void Soundsetting::setlanguage()
{
    TerminalAttribution* texts = TerminalAttribution::getInstance();
    ui->label_volume->setText(texts->getLanguage(31));
    ui->label_status->setText(texts->getLanguage(32));
    ui->label_udisk->setText(texts->getLanguage(33));
    ui->label_language->setText(texts->getLanguage(34));
    ui->label_keyboard->setText(texts->getLanguage(35));
    // Both builds share one text table, in which 70 is a netmask message.
    ui->label_soundcard->setText(texts->getLanguage(107));
    ui->pushButton_save->setText(texts->getLanguage(21));
}

PeripheralConfig Soundsetting::values() const
{
    PeripheralConfig config = m_stored;
    if (ui->horizontalSlider->value() != shownPosition(m_stored))
        config.volume = PeripheralConfig::volumeFromSlider(ui->horizontalSlider->value());
    config.mute = ui->checkBox_mute->isChecked();
    config.usbDisk = ui->checkBox_allowusb->isChecked();
    // A stored index the list does not hold selects nothing; it stays.
    if (ui->comboBox_language->currentIndex() >= 0)
        config.language = ui->comboBox_language->currentIndex();
    if (ui->comboBox_keyboard->currentIndex() >= 0)
        config.keyboard = ui->comboBox_keyboard->currentIndex();
    if (ui->radioButton_hdmi->isChecked())
        config.soundCard = QStringLiteral("HDMI");
    else if (ui->radioButton_vga->isChecked())
        config.soundCard = QStringLiteral("VGA");
    return config;
}

bool Soundsetting::store(const PeripheralConfig& config)
{
    if (!config.write()) {
        LauncherMessageBox::writeFailed();
        return false;
    }
    sync();
    m_stored = config;
    return true;
}

void Soundsetting::checkbox_clicked()
{
    const bool mute = ui->checkBox_mute->isChecked();
    const int position = ui->horizontalSlider->value();
    setMuted(mute, mute ? 0 : 80);
    // Only the volume and the mute flag change; the rest waits for the save.
    PeripheralConfig config = m_stored;
    config.volume = PeripheralConfig::volumeFromSlider(ui->horizontalSlider->value());
    config.mute = mute;
    if (!store(config))
        setMuted(!mute, position);
}

void Soundsetting::pushbutton_save_clicked()
{
    const PeripheralConfig config = values();
    const QMessageBox::StandardButton answer = LauncherMessageBox::information(
        TerminalAttribution::getInstance()->getLanguage(49), QMessageBox::Yes | QMessageBox::No);
    if (answer != QMessageBox::Yes || !store(config))
        return;
    ScriptRunner::execute(QStringLiteral(SETPERIPHERALSCRIPT));
}
