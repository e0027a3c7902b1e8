#include "signin.h"

#include "mainstackwidget.h"

#include <QFrame>

SignIn::SignIn(Mainstackwidget& page, QFrame* cover)
    : QObject(&page)
    , m_page(page)
    , m_cover(cover)
{
}

void SignIn::closed(QObject* dialog, Target target, bool signedIn)
{
    closeDialog(dialog);
    if (signedIn)
        emit this->signedIn(target);
    hideCover();
}

void SignIn::closeDialog(QObject* dialog)
{
    if (auto* widget = qobject_cast<QWidget*>(dialog)) {
        widget->hide();
        widget->deleteLater();
    }
}

void SignIn::hideCover()
{
    if (m_cover)
        m_cover->hide();
}
