#include "targetlist.h"

#include "jsontext.h"

#include <cmath>
#include <limits>

namespace {

std::optional<qint32> address(const Json::Value& element)
{
    constexpr qint64 Min = std::numeric_limits<qint32>::min();
    constexpr qint64 Max = std::numeric_limits<qint32>::max();
    switch (element.type()) {
    case Json::nullValue:
        return 0;
    case Json::booleanValue:
        return element.asBool() ? 1 : 0;
    case Json::intValue: {
        const qint64 value = element.asInt64();
        if (value < Min || value > Max)
            return std::nullopt;
        return qint32(value);
    }
    case Json::uintValue:
        if (element.asUInt64() > quint64(Max))
            return std::nullopt;
        return qint32(element.asUInt64());
    case Json::realValue: {
        const double value = std::trunc(element.asDouble());
        if (!std::isfinite(value) || value < double(Min) || value > double(Max))
            return std::nullopt;
        return qint32(value);
    }
    default:
        return std::nullopt;
    }
}

} // namespace

std::optional<std::vector<qint32>> TargetList::parse(const std::string& content)
{
    Json::Value root;
    if (!JsonText::parse(content, root) || !root.isArray() || root.empty())
        return std::nullopt;
    std::vector<qint32> targets;
    targets.reserve(root.size());
    for (const Json::Value& element : root) {
        const auto target = address(element);
        if (!target)
            return std::nullopt;
        targets.push_back(*target);
    }
    return targets;
}
