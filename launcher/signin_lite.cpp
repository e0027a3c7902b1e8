#include "signin.h"

#include "devicepaths.h"
#include "linefile.h"
#include "mainstackwidget.h"

// Launcher-lite asks for no password.
void SignIn::open(Target target)
{
    emit signedIn(target);
}

// Once, three seconds after start. The profile's own line decides, not the
// box, and the flag file is left as it is.
void SignIn::automatic(bool, int)
{
    if (LineFile::read(QStringLiteral(AUTOLOGINFILE), 1).first().contains(QLatin1Char('1'))
        && autoconnection_g.contains(QLatin1Char('1')))
        emit connectNow();
}

// Launcher-lite opens no countdown box, so none ever closes.
void SignIn::countdownClosed(QObject*, int) {}
