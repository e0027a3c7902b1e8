#pragma once

#include "pagefilling.h"

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

    // Fills the page from the files, when PageFilling says.
    void init_show();
    void show() { PageFilling::whenShown(*this); }
    void setlanguage();

public slots:
    void setdisplay_resoulution_fun();

private:
    Ui::Displaysetting* ui;
    QList<QRadioButton*> m_modeButtons; // in the order of DisplayConfig::modes()
    QString m_currentResolution;        // line 1 of each file when last filled
    QString m_currentDepth;
};
