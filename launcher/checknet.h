#pragma once

#include <QWidget>

class ScriptProcess;

namespace Ui {
class Checknet;
}

// Pings a server five times and shows ping's output and errors as they arrive.
class Checknet : public QWidget
{
    Q_OBJECT

public:
    explicit Checknet(QWidget* parent);
    ~Checknet() override;

    void setlanguage();

    // The arguments for ping: the trimmed address goes after "--", as one
    // argument, so typed text can name a host and nothing else.
    static QStringList pingArguments(const QString& address);

public slots:
    void pushbutton_checknet_clicked();
    void check_readoutput();
    // Says "no answer" when ping ended (or never started) without printing anything.
    void check_finished();

private:
    // The lite page pings a saved server profile, chosen from a list.
    void fillProfiles();

    Ui::Checknet* ui;
    ScriptProcess* m_process;
    QString m_output;
};
