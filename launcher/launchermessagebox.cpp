#include "launchermessagebox.h"

#include "terminalattribution.h"

#include <QAbstractButton>

namespace {
// Text ids of the standard buttons the launcher's boxes use.
int captionId(QMessageBox::StandardButton button)
{
    switch (button) {
    case QMessageBox::Ok:
        return 108;
    case QMessageBox::Yes:
        return 109;
    case QMessageBox::No:
        return 110;
    case QMessageBox::Cancel:
        return 118;
    default:
        return 0;
    }
}
} // namespace

QMessageBox::StandardButton LauncherMessageBox::information(const QString& text,
                                                            QMessageBox::StandardButtons buttons,
                                                            QMessageBox::StandardButton defaultButton)
{
    return exec(*create(QMessageBox::Information, QStringLiteral(" "), text, buttons, defaultButton));
}

QMessageBox::StandardButton LauncherMessageBox::question(const QString& title, const QString& text,
                                                         QMessageBox::StandardButtons buttons,
                                                         QMessageBox::StandardButton defaultButton)
{
    return exec(*create(QMessageBox::Question, title, text, buttons, defaultButton));
}

void LauncherMessageBox::about(const QString& text)
{
    const std::unique_ptr<QMessageBox> box =
        create(QMessageBox::NoIcon, QStringLiteral(" "), text, QMessageBox::Ok, QMessageBox::Ok);
    box->setIconPixmap(box->windowIcon().pixmap(64, 64));
    exec(*box);
}

void LauncherMessageBox::writeFailed()
{
    information(TerminalAttribution::getInstance()->getLanguage(122));
}

std::unique_ptr<QMessageBox> LauncherMessageBox::create(QMessageBox::Icon icon, const QString& title,
                                                        const QString& text, QMessageBox::StandardButtons buttons,
                                                        QMessageBox::StandardButton defaultButton)
{
    auto box = std::make_unique<QMessageBox>(icon, title, text, buttons);
    TerminalAttribution* texts = TerminalAttribution::getInstance();
    for (QAbstractButton* button : box->buttons()) {
        const int id = captionId(box->standardButton(button));
        const QString caption = id ? texts->getLanguage(id) : QString();
        // An unreadable table leaves Qt's own caption rather than a blank button.
        if (!caption.isEmpty())
            button->setText(caption);
    }
    if (defaultButton != QMessageBox::NoButton)
        box->setDefaultButton(defaultButton);
    return box;
}

QMessageBox::StandardButton LauncherMessageBox::exec(QMessageBox& box)
{
    if (box.exec() == -1)
        return QMessageBox::Cancel;
    return box.standardButton(box.clickedButton());
}
