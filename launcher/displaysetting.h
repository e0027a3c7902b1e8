#pragma once

#include <QList>
#include <QWidget>

class QRadioButton;

namespace Ui {
class Displaysetting;
}

// Output resolution and colour depth; the display script runs only when
// one of them changed.
class Displaysetting : public QWidget
{
    Q_OBJECT

public:
    explicit Displaysetting(QWidget* parent);
    ~Displaysetting() override;

    void init_show();
#ifndef LAUNCHER_LITE
    // Shows the page filled from the two files.
    void show();
#endif
    void setlanguage();

public slots:
    void setdisplay_resoulution_fun();

private:
    Ui::Displaysetting* ui;
    QList<QRadioButton*> m_modeButtons; // in the order of DisplayConfig::modes()
    QString m_currentResolution;        // line 1 of each file when last filled
    QString m_currentDepth;
};
