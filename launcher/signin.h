#pragma once

#include <QObject>

class Mainstackwidget;
class QFrame;

// The way from the connection page to the settings and the profile manager,
// and the automatic connection at start. The full launcher asks for the
// administrator's password first and counts down before connecting
// automatically, each over a cover on the page (signin_full.cpp);
// launcher-lite does neither (signin_lite.cpp). The page's slots forward here.
class SignIn : public QObject
{
    Q_OBJECT

public:
    enum Target { Settings, Manager };

    // cover: the frame laid over the page while a dialog is open; launcher-lite has none.
    SignIn(Mainstackwidget& page, QFrame* cover);

    void open(Target target);
    // The sign-in dialog closed.
    void closed(QObject* dialog, Target target, bool signedIn);
    // The moment for the automatic connection: checked is the page's
    // automatic-connection box, seconds its countdown.
    void automatic(bool checked, int seconds);
    // The countdown box closed: 1 it reached zero, 0 cancelled.
    void countdownClosed(QObject* box, int result);

signals:
    void signedIn(SignIn::Target target);
    void connectNow();

private:
    void startCountdown();
    // The dialog is still inside its signal; it goes when control returns.
    static void closeDialog(QObject* dialog);
    void hideCover();

    Mainstackwidget& m_page;
    QFrame* m_cover;
    int m_countdownSeconds = 0;
};
