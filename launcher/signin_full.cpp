#include "signin.h"

#include "connectflow.h"
#include "devicepaths.h"
#include "linefile.h"
#include "logingwidget.h"
#include "mainstackwidget.h"
#include "mymessagebox.h"

#include <QFrame>

void SignIn::open(Target target)
{
    m_cover->show();
    m_cover->raise();
    auto* login = new logingwidget(&m_page);
    connect(login, &logingwidget::logingwidget_close_singal, &m_page,
            target == Settings ? &Mainstackwidget::logingwidget_close_slot_settings
                               : &Mainstackwidget::logingwidget_close_slot_userinfo);
    login->show();
}

// Each time the page is shown.
void SignIn::automatic(bool checked, int seconds)
{
    if (LineFile::read(QStringLiteral(AUTOLOGINFILE), 1).first() != QLatin1String("1"))
        return;
    // Armed once: the automatic connection happens once per arming.
    LineFile::write(QStringLiteral(AUTOLOGINFILE), {QStringLiteral("0")});
    if (checked) {
        m_countdownSeconds = seconds;
        m_cover->show();
        m_cover->raise();
        startCountdown();
    }
}

void SignIn::startCountdown()
{
    auto* box = new mymessagebox(&m_page);
    box->set_Time(m_countdownSeconds);
    connect(box, &mymessagebox::messagebox_closed_signal, &m_page, &Mainstackwidget::mymessagebox_closed_slot);
    box->show();
}

void SignIn::countdownClosed(QObject* box, int result)
{
    closeDialog(box);
    if (result == 1) {
        // Keep counting down until the network is up or the user cancels.
        if (ConnectFlow::checkNetwork(false) != 0) {
            startCountdown();
            return;
        }
        emit connectNow();
    }
    hideCover();
}
