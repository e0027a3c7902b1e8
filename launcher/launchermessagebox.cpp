#include "launchermessagebox.h"

#include "terminalattribution.h"

#include <QAbstractButton>

namespace {
// Text ids of the standard buttons the launcher's boxes use.
int captionId(QMessageBox::StandardButton button) {
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

QMessageBox::StandardButton
LauncherMessageBox::information(const QString &text,
                                QMessageBox::StandardButtons buttons,
                                QMessageBox::StandardButton defaultButton) {
  QMessageBox box(QMessageBox::Information, QStringLiteral(" "), text,
                  QMessageBox::NoButton, nullptr);
  return exec(box, buttons, defaultButton);
}

QMessageBox::StandardButton
LauncherMessageBox::question(const QString &title, const QString &text,
                             QMessageBox::StandardButtons buttons,
                             QMessageBox::StandardButton defaultButton) {
  QMessageBox box(QMessageBox::Question, title, text, QMessageBox::NoButton,
                  nullptr);
  return exec(box, buttons, defaultButton);
}

void LauncherMessageBox::about(const QString &text) {
  QMessageBox box(QMessageBox::NoIcon, QStringLiteral(" "), text,
                  QMessageBox::NoButton, nullptr);
  box.setIconPixmap(box.windowIcon().pixmap(64, 64));
  exec(box, QMessageBox::Ok, QMessageBox::Ok);
}

QMessageBox::StandardButton
LauncherMessageBox::exec(QMessageBox &box, QMessageBox::StandardButtons buttons,
                         QMessageBox::StandardButton defaultButton) {
  box.setStandardButtons(buttons);
  TerminalAttribution *texts = TerminalAttribution::getInstance();
  for (QAbstractButton *button : box.buttons()) {
    const int id = captionId(box.standardButton(button));
    const QString caption = id ? texts->getLanguage(id) : QString();
    // An unreadable table leaves Qt's own caption rather than a blank button.
    if (!caption.isEmpty())
      button->setText(caption);
  }
  if (defaultButton != QMessageBox::NoButton)
    box.setDefaultButton(defaultButton);
  if (box.exec() == -1)
    return QMessageBox::Cancel;
  return box.standardButton(box.clickedButton());
}
