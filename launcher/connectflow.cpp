#include "connectflow.h"

#include "devicepaths.h"
#include "interfaceaddresses.h"
#include "launchermessagebox.h"
#include "linefile.h"
#include "scriptrunner.h"
#include "terminalattribution.h"

#include <QFile>

#include <unistd.h>

ConnectFlow::Saved ConnectFlow::save(const ServerProfile::Record& profile, int count)
{
    if (!ServerProfile::isValidName(profile.address))
        return Saved::Refused;
    if (!ServerProfile::write(profile, count) || !ServerProfile::copyToConnectFile(profile.address))
        return Saved::WriteFailed;
    ::sync();
    return Saved::InPlace;
}

int ConnectFlow::checkNetwork(bool withMessages)
{
    // A result left by an earlier check must not pass for this one: a
    // missing or failing script writes none, so it is removed first.
    const auto runCheck = [] {
        const QString result = QStringLiteral(NETCHECKFILE);
        const bool removed = QFile::remove(result) || !QFile::exists(result);
        ScriptRunner::execute(QStringLiteral(CHECKNETSCRIPT));
        return removed;
    };
    const auto pingFailed = [withMessages](bool fresh) {
        if (!fresh
            || !LineFile::read(QStringLiteral(NETCHECKFILE), 1).first().contains(QLatin1String("PINGOK"))) {
            if (withMessages)
                LauncherMessageBox::about(TerminalAttribution::getInstance()->getLanguage(57));
            return true;
        }
        return false;
    };
    const bool fresh = runCheck();
    if (InterfaceAddresses::link("eth0").usable())
        return pingFailed(fresh) ? 1 : 0;
    if (!InterfaceAddresses::link("wlan0").usable()) {
        if (withMessages)
            LauncherMessageBox::about(TerminalAttribution::getInstance()->getLanguage(58));
        return 2;
    }
    return pingFailed(runCheck()) ? 1 : 0;
}

void ConnectFlow::startSession()
{
    ScriptRunner::execute(QStringLiteral(CONNECTSCRIPT));
}
