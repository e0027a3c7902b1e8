#pragma once

#include <string>

// The version texts terminals report: numbers and dots, then the build in
// brackets, as "1.12(261208)".
class VersionText
{
public:
    // The reported text is the one asked for, or it with a build: "1.13"
    // matches "1.13" and "1.13(261208)", not "1.131".
    static bool matches(const std::string& reported, const std::string& asked);
    // Release numbers compared as numbers ("1.9" before "1.12"), then the
    // rest as text; a text without numbers comes first.
    static bool less(const std::string& a, const std::string& b);
};
