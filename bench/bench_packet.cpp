#include "jsontext.h"
#include "shareprotocol.h"
#include "terminalinfo.h"

#include "medianrun.h"

#include <json/reader.h>
#include <json/writer.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

// Per packet cost of answering one discovery request: the agent's own code
// against the bare jsoncpp work it cannot avoid (one parse, two writes).

namespace {

const char Request[] = "##{\"content\":\"\",\"key\":\"TERMINALMSG_REQUEST\",\"userId\":\"\"}\n";
constexpr int Iterations = 200000;
constexpr int Repeats = 5;

// Keeps the optimiser from dropping the work.
volatile std::size_t sink = 0;

TerminalInfo sampleInfo()
{
    TerminalInfo info;
    info.id = "17";
    info.hostName = "term-17";
    info.model = "QB560_a20";
    info.version = "1.12(240115)";
    info.ip = "192.168.1.27";
    info.mac = "02:42:C0:A8:01:1B";
    info.rdpIp = "10.1.1.1";
    info.rdpPort = "3389";
    info.rdpUser = "user";
    info.rdpPassword = "pw";
    info.status = "connected";
    return info;
}

double measure(const std::function<void()>& body)
{
    return medianMicroseconds(body, Iterations, Repeats);
}

} // namespace

int main()
{
    const TerminalInfo info = sampleInfo();
    const QVariant broadcast(uint(0xC0A801FF));

    const auto agentPath = [&] {
        PreData* request = PreData::unpack(Request, broadcast);
        PreData report("TERMINALMSG", "");
        report.content = info.toContent();
        sink = sink + report.toString().size() + request->key.size();
        delete request;
    };

    // The reference does the same work with jsoncpp alone: reader and
    // writer made once, the report and the packet built and written anew.
    Json::CharReaderBuilder readerBuilder;
    const std::unique_ptr<Json::CharReader> reader(readerBuilder.newCharReader());
    Json::StreamWriterBuilder writerBuilder;
    writerBuilder["indentation"] = "";
    const std::unique_ptr<Json::StreamWriter> writer(writerBuilder.newStreamWriter());
    const char* const begin = std::strchr(Request, '{');
    const char* const end = Request + std::strlen(Request);
    const auto bare = [&] {
        Json::Value request;
        reader->parse(begin, end, &request, nullptr);
        Json::Value object(Json::objectValue);
        object["id"] = info.id;
        object["hostName"] = info.hostName;
        object["model"] = info.model;
        object["version"] = info.version;
        object["ip"] = info.ip;
        object["mac"] = info.mac;
        object["RDP_IP"] = info.rdpIp;
        object["RDP_PORT"] = info.rdpPort;
        object["RDP_USER"] = info.rdpUser;
        object["RDP_PASSWORD"] = info.rdpPassword;
        object["status"] = info.status;
        std::ostringstream content;
        writer->write(object, &content);
        Json::Value packet(Json::objectValue);
        packet["key"] = "TERMINALMSG";
        packet["userId"] = "";
        packet["content"] = content.str();
        std::ostringstream text;
        writer->write(packet, &text);
        sink = sink + text.str().size() + request["key"].asString().size();
    };

    // The agent path in parts, to show where its time goes.
    const auto unpackOnly = [&] {
        PreData* request = PreData::unpack(Request, broadcast);
        sink = sink + request->key.size();
        delete request;
    };
    const auto contentOnly = [&] { sink = sink + info.toContent().size(); };
    PreData filled("TERMINALMSG", "");
    filled.content = info.toContent();
    const auto packetOnly = [&] { sink = sink + filled.toString().size(); };

    const double agent = measure(agentPath);
    const double reference = measure(bare);
    std::printf("packet round trip, median of %d x %d iterations, microseconds per packet\n",
                Repeats, Iterations);
    std::printf("  %-34s %8.3f\n", "agent (unpack + report + delete)", agent);
    std::printf("  %-34s %8.3f\n", "bare jsoncpp (parse + 2 writes)", reference);
    std::printf("  %-34s %8.2fx\n", "ratio agent / bare", agent / reference);
    std::printf("agent path in parts:\n");
    std::printf("  %-34s %8.3f\n", "PreData::unpack + delete", measure(unpackOnly));
    std::printf("  %-34s %8.3f\n", "TerminalInfo::toContent", measure(contentOnly));
    std::printf("  %-34s %8.3f\n", "PreData::toString", measure(packetOnly));
    return 0;
}
