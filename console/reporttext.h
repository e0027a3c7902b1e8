#pragma once

#include <QString>
#include <QStringList>

#include <json/value.h>

#include <string>
#include <vector>

// How report texts, which come from the network as the bytes a terminal
// keeps, are shown to people: decoded, made harmless for a terminal screen,
// in aligned columns or as JSON lines.
class ReportText
{
public:
    // UTF-8 on newer devices, Latin-1 on older ones, which is what bytes
    // that are not UTF-8 are taken for.
    static QString decoded(const std::string& bytes);
    // Decoded, with control characters shown as '?': they would let a
    // terminal move the cursor or clear the screen of whoever reads the table.
    static QString printable(const std::string& bytes);
    // Rows of cells (the header first) in columns two blanks apart, one line
    // each, without padding after the last column.
    static QString aligned(const std::vector<QStringList>& rows);
    // A compact JSON line of the object: texts decoded one by one, and DEL
    // and C1 controls escaped as the writer does C0 controls.
    static QString jsonLine(const Json::Value& object);
    // A member's text; anything but a string reads as empty.
    static std::string member(const Json::Value& object, const char* name);
};
