#pragma once

#include <QVariant>

#include <string>

namespace Json {
class Value;
}

// One share protocol packet: "##" followed by a JSON object with the string
// members "key", "userId" and "content". Every agent task is a packet whose
// class says what to do with it.
class PreData
{
public:
    PreData(const std::string& key, const std::string& content);
    // Literals name a key and a content, never a text to parse.
    PreData(const char* key, const char* content) : PreData(std::string(key), std::string(content)) {}
    // Parses a NUL-terminated text; the result may have an empty key.
    PreData(const char* text, const QVariant& extra);
    // Takes over key, content and extra; the sender's user id is not kept.
    PreData(const PreData& other);
    PreData& operator=(const PreData&) = delete;
    virtual ~PreData();

    // A new packet owned by the caller, or null when the text yields no key.
    static PreData* unpack(const char* text, const QVariant& extra);
    static bool isShareProtocol(const char* data, unsigned int length);

    // Where unpack traces a rejected text, one whole line per call. Standard
    // output by default; a program that bounds its log installs its own
    // writer before any packet arrives.
    using TraceWriter = void (*)(const char* line);
    static void setTraceWriter(TraceWriter writer);

    std::string toString() const;

    // Deletes the object. Tasks override it and end by deleting themselves.
    virtual void dealTask();

    std::string key;
    std::string userId;
    std::string content;
    QVariant extra;
};
