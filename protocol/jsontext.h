#pragma once

#include <json/value.h>

#include <string>

// The JSON dialect of the share protocol, in one place: a strict reader that
// ignores whatever follows the first value, and a compact writer.
class JsonText
{
public:
    // Parses [begin, end). Comments are refused and the root must be an
    // object or an array; bytes after the root value are ignored.
    static bool parse(const char* begin, const char* end, Json::Value& root);
    static bool parse(const std::string& text, Json::Value& root);

    // Compact form: no blanks, members sorted by name, ending in a line feed.
    static std::string write(const Json::Value& value);

    // A member that is a string, a boolean, null or absent, read as text;
    // false when it holds a number, an array or an object.
    static bool stringMember(const Json::Value& object, const char* name, std::string& out);
};
