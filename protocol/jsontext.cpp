#include "jsontext.h"

#include <json/reader.h>
#include <json/writer.h>

#include <cstring>
#include <exception>
#include <memory>
#include <sstream>

namespace {

std::unique_ptr<Json::CharReader> makeReader()
{
    Json::CharReaderBuilder builder;
    builder["allowComments"] = false;
    builder["allowTrailingCommas"] = false;
    builder["strictRoot"] = true;
    builder["allowDroppedNullPlaceholders"] = false;
    builder["allowNumericKeys"] = false;
    builder["allowSingleQuotes"] = false;
    builder["allowSpecialFloats"] = false;
    builder["rejectDupKeys"] = false;
    builder["failIfExtra"] = false;
    builder["collectComments"] = false;
    return std::unique_ptr<Json::CharReader>(builder.newCharReader());
}

std::unique_ptr<Json::StreamWriter> makeWriter()
{
    Json::StreamWriterBuilder builder;
    builder["indentation"] = "";
    builder["commentStyle"] = "None";
    // Packets are Latin-1: bytes above 0x7f pass through unchanged.
    builder["emitUTF8"] = true;
    return std::unique_ptr<Json::StreamWriter>(builder.newStreamWriter());
}

} // namespace

bool JsonText::parse(const char* begin, const char* end, Json::Value& root)
{
    // Readers and writers keep no state between calls, so one per thread
    // spares the builder on every packet.
    thread_local const std::unique_ptr<Json::CharReader> reader = makeReader();
    try {
        return reader->parse(begin, end, &root, nullptr);
    } catch (const std::exception&) {
        // The reader throws when nesting exceeds its stack limit.
        return false;
    }
}

bool JsonText::parse(const std::string& text, Json::Value& root)
{
    return parse(text.data(), text.data() + text.size(), root);
}

std::string JsonText::write(const Json::Value& value)
{
    thread_local const std::unique_ptr<Json::StreamWriter> writer = makeWriter();
    std::ostringstream stream;
    writer->write(value, &stream);
    stream << '\n';
    return stream.str();
}

bool JsonText::stringMember(const Json::Value& object, const char* name, std::string& out)
{
    if (!object.isObject())
        return false;
    const Json::Value* member = object.find(name, name + std::strlen(name));
    if (member == nullptr || member->isNull()) {
        out.clear();
        return true;
    }
    if (member->isString() || member->isBool()) {
        out = member->asString();
        return true;
    }
    return false;
}
