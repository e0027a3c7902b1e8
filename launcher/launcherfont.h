#pragma once

#include <QApplication>
#include <QFont>

// The application-wide font every page inherits. The terminal's font is
// "wenquanyi"; elsewhere the installed WenQuanYi Micro Hei stands in for it.
inline void installLauncherFont()
{
    QFont font = QApplication::font();
    font.setPointSize(12);
    font.setFamilies({QStringLiteral("wenquanyi"), QStringLiteral("WenQuanYi Micro Hei")});
    font.setWeight(QFont::Normal);
    QApplication::setFont(font);
}
