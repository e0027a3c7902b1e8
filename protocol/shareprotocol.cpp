#include "shareprotocol.h"

#include "jsontext.h"

#include <atomic>
#include <cstdio>
#include <cstring>

namespace {

void writeToStdout(const char* line)
{
    std::fputs(line, stdout);
    std::fflush(stdout);
}

std::atomic<PreData::TraceWriter> traceWriter = writeToStdout;

void trace(const char* line)
{
    traceWriter.load()(line);
}

} // namespace

PreData::PreData(const std::string& key, const std::string& content)
    : key(key), content(content)
{
}

PreData::PreData(const char* text, const QVariant& extra)
{
    const char* end = text + std::strlen(text);
    const char* brace = std::strchr(text, '{');
    if (brace == nullptr) {
        trace("[## protocol error\n");
        return;
    }
    Json::Value root;
    if (!JsonText::parse(brace, end, root)) {
        trace("[## json parse error\n");
        return;
    }
    // An array root, or a member that is a number, an array or an object,
    // leaves the key empty so that unpack rejects the packet.
    std::string parsedKey, parsedUserId, parsedContent;
    if (!JsonText::stringMember(root, "key", parsedKey)
        || !JsonText::stringMember(root, "userId", parsedUserId)
        || !JsonText::stringMember(root, "content", parsedContent))
        return;
    key = std::move(parsedKey);
    userId = std::move(parsedUserId);
    content = std::move(parsedContent);
    this->extra = extra;
}

PreData::PreData(const PreData& other)
    : key(other.key), content(other.content), extra(other.extra)
{
}

PreData::~PreData() = default;

PreData* PreData::unpack(const char* text, const QVariant& extra)
{
    auto* packet = new PreData(text, extra);
    if (packet->key.empty()) {
        trace("[## unpack error\n");
        delete packet;
        return nullptr;
    }
    return packet;
}

void PreData::setTraceWriter(TraceWriter writer)
{
    traceWriter.store(writer);
}

bool PreData::isShareProtocol(const char* data, unsigned int length)
{
    return length >= 3 && data[0] == '#' && data[1] == '#';
}

std::string PreData::toString() const
{
    Json::Value object(Json::objectValue);
    object["key"] = key;
    object["userId"] = userId;
    object["content"] = content;
    return "##" + JsonText::write(object);
}

void PreData::dealTask()
{
    delete this;
}
