#include "displaysetting.h"
#include "ui_displaysetting.h"

#include "devicepaths.h"
#include "displayconfig.h"
#include "launcherbuild.h"
#include "launchermessagebox.h"
#include "scriptrunner.h"
#include "terminalattribution.h"

#include <unistd.h>

Displaysetting::Displaysetting(QWidget* parent)
    : QWidget(parent)
    , ui(new Ui::Displaysetting)
{
    ui->setupUi(this);
    m_modeButtons = {ui->radioButton_800x600p,   ui->radioButton_1024x768p,
                     ui->radioButton_1280x720p,  ui->radioButton_1280x1024p,
                     ui->radioButton_1360x768p,  ui->radioButton_1440x900p,
                     ui->radioButton_1680x1050p, ui->radioButton_1920x1080p};
    setlanguage();
    ui->comboBox_depth->addItems(DisplayConfig::depths(liteBuild));
    connect(ui->pushButton_save, &QPushButton::clicked, this,
            &Displaysetting::setdisplay_resoulution_fun);
    PageFilling::whenBuilt(*this);
}

Displaysetting::~Displaysetting()
{
    delete ui;
}

void Displaysetting::init_show()
{
    m_currentResolution = DisplayConfig::readResolution();
    m_modeButtons.at(DisplayConfig::modeIndexFor(m_currentResolution))->setChecked(true);
    m_currentDepth = DisplayConfig::readColorDepth();
    const QString depth = DisplayConfig::depthFor(m_currentDepth, liteBuild);
    // A stored depth this build does not offer is listed as well, so that saving keeps it.
    QStringList depths = DisplayConfig::depths(liteBuild);
    if (!depths.contains(depth))
        depths.append(depth);
    ui->comboBox_depth->clear();
    ui->comboBox_depth->addItems(depths);
    ui->comboBox_depth->setCurrentText(depth);
}

void Displaysetting::setlanguage()
{
    TerminalAttribution* texts = TerminalAttribution::getInstance();
    ui->pushButton_save->setText(texts->getLanguage(21));
    ui->label_depth->setText(texts->getLanguage(59));
}

void Displaysetting::setdisplay_resoulution_fun()
{
    QString mode = DisplayConfig::modes().at(DisplayConfig::defaultModeIndex);
    for (qsizetype i = 0; i < m_modeButtons.size(); ++i) {
        if (m_modeButtons.at(i)->isChecked()) {
            mode = DisplayConfig::modes().at(i);
            break;
        }
    }
    const QString depth = ui->comboBox_depth->currentText();
    TerminalAttribution* texts = TerminalAttribution::getInstance();
    // The script would apply whatever the files still hold.
    if (!DisplayConfig::write(mode, depth)) {
        LauncherMessageBox::writeFailed();
        return;
    }
    sync();
    const QMessageBox::StandardButton answer =
        LauncherMessageBox::information(texts->getLanguage(47), QMessageBox::Yes);
    if (answer == QMessageBox::Yes && (mode != m_currentResolution || depth != m_currentDepth))
        ScriptRunner::execute(QStringLiteral(SETDISPLAYSCRIPT));
}
