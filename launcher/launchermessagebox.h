#pragma once

#include <QMessageBox>
#include <QString>

#include <memory>

// The launcher's modal message boxes: QMessageBox's static functions with the
// buttons captioned from the text table, so that they read in the UI's
// language. Escape and the window's close button answer as the box's No or
// Cancel button would (the single button of a one-button box).
class LauncherMessageBox
{
public:
    // A box titled " " with an information icon.
    static QMessageBox::StandardButton information(const QString& text,
                                                   QMessageBox::StandardButtons buttons = QMessageBox::Yes,
                                                   QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);
    // A box with a question icon and the given title.
    static QMessageBox::StandardButton question(const QString& title, const QString& text,
                                                QMessageBox::StandardButtons buttons,
                                                QMessageBox::StandardButton defaultButton);
    // A box titled " " with the application's icon and an OK button.
    static void about(const QString& text);
    // Says that a setting could not be written (a full or read-only disk),
    // so nothing was applied.
    static void writeFailed();

    // The box the functions above show, built but not shown (the page
    // renderer grabs it without running it).
    static std::unique_ptr<QMessageBox> create(QMessageBox::Icon icon, const QString& title, const QString& text,
                                               QMessageBox::StandardButtons buttons,
                                               QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);

private:
    static QMessageBox::StandardButton exec(QMessageBox& box);
};
