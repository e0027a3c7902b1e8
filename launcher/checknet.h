#pragma once

#include <QWidget>

class QProcess;

namespace Ui {
class Checknet;
}

// Pings a server five times and shows ping's output as it arrives.
class Checknet : public QWidget
{
    Q_OBJECT

public:
    explicit Checknet(QWidget* parent);
    ~Checknet() override;

    void setlanguage();

    // The arguments for ping: the address goes after "--", as one argument,
    // so typed text can name a host and nothing else.
    static QStringList pingArguments(const QString& address);

public slots:
    void pushbutton_checknet_clicked();
    void check_readoutput();

private:
#ifdef LAUNCHER_LITE
    void fillProfiles();
#endif

    Ui::Checknet* ui;
    QProcess* m_process;
    QString m_output;
};
