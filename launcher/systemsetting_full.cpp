// The full launcher's network choice: it starts from the recorded network
// type, and choosing the other one switches the terminal over once the
// administrator agreed.
#include "systemsetting.h"
#include "ui_systemsetting.h"

#include "devicepaths.h"
#include "launchermessagebox.h"
#include "networkselection.h"
#include "networksetting.h"
#include "requiredfile.h"
#include "scriptrunner.h"
#include "selectnetdialog.h"
#include "terminalattribution.h"
#include "wifinetworksetting.h"

bool Systemsetting::readNetworkType(QString* type)
{
    if (NetworkSelection::read(type))
        return true;
    RequiredFile::missing(NetworkSelection::path() + QStringLiteral(" open fail!"), 1);
    return false;
}

void Systemsetting::networkselectdlg_fun()
{
    QString type;
    if (!readNetworkType(&type))
        return;
    m_selectnet->updateradiobutton(type);
    ui->stackedWidget->setCurrentWidget(m_selectnet);
}

// Records the new type after the administrator agreed; false when he did not
// or it could not be written.
bool Systemsetting::switchNetworkType(const QString& type)
{
    const QMessageBox::StandardButton answer = LauncherMessageBox::question(
        QStringLiteral("Question"), TerminalAttribution::getInstance()->getLanguage(94),
        QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes);
    if (answer == QMessageBox::No)
        return false;
    // On a full or read-only disk the type stays as it was, and so do the
    // interfaces.
    if (!NetworkSelection::write(type)) {
        LauncherMessageBox::writeFailed();
        return false;
    }
    return true;
}

void Systemsetting::networksettingdlg_fun(int type)
{
    QString recorded;
    if (!readNetworkType(&recorded))
        return;
    if (type == 1) {
        if (!recorded.isEmpty() && recorded != QLatin1String("wired")) {
            if (!switchNetworkType(QStringLiteral("wired")))
                return;
            ScriptRunner::startDetached(QStringLiteral(IFCONFIGWLAN0DOWNSCRIPT));
            ScriptRunner::startDetached(QStringLiteral(SETNETWORKSCRIPT));
        }
        ui->stackedWidget->setCurrentWidget(m_network);
        m_network->show();
        return;
    }
    if (recorded != QLatin1String("wireless")) {
        if (!switchNetworkType(QStringLiteral("wireless")))
            return;
        ScriptRunner::startDetached(QStringLiteral(IFCONFIGETH0DOWNSCRIPT));
        ScriptRunner::startDetached(QStringLiteral(CONNECTWIFIDEFAULTSCRIPT));
    }
    ui->stackedWidget->setCurrentWidget(m_wifi);
    m_wifi->show();
}
