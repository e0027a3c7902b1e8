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
    // Unhinted glyphs look the same at these sizes, and the hinter's set-up
    // for a CJK face reads dozens of reference ideographs from all over the
    // font file, megabytes of it, before the first symbol or ideograph shows.
    font.setHintingPreference(QFont::PreferNoHinting);
    QApplication::setFont(font);
}
