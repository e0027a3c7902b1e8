#include "helper.h"

#include <QString>

#include <chrono>
#include <cstdlib>
#include <mutex>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// Lines seen within the last second, each with what its burst has written.
class RepeatLimiter
{
public:
    void write(std::FILE* stream, const char* line)
    {
        const std::lock_guard lock(m_mutex);
        tick(Clock::now());
        Repeat* repeat = find(stream, line);
        if (repeat == nullptr && m_repeats.size() < MaxTracked) {
            m_repeats.push_back({stream, line});
            repeat = &m_repeats.back();
        }
        if (repeat != nullptr) {
            repeat->seen = true;
            if (repeat->written >= Helper::BurstLines) {
                ++repeat->dropped;
                return;
            }
            ++repeat->written;
        }
        std::fputs(line, stream);
        std::fflush(stream);
    }

    void flush()
    {
        const std::lock_guard lock(m_mutex);
        tick(Clock::now());
    }

private:
    // Beyond this many different lines in a second, new ones are written
    // unchecked rather than letting the table grow.
    static constexpr std::size_t MaxTracked = 128;

    struct Repeat
    {
        std::FILE* stream;
        std::string line;
        int written = 0;
        long long dropped = 0;
        bool seen = true; // within the current second
    };

    Repeat* find(std::FILE* stream, const char* line)
    {
        for (Repeat& repeat : m_repeats)
            if (repeat.stream == stream && repeat.line == line)
                return &repeat;
        return nullptr;
    }

    void tick(Clock::time_point now)
    {
        if (now - m_secondStart < std::chrono::seconds(1))
            return;
        m_secondStart = now;
        std::vector<Repeat> kept;
        for (Repeat& repeat : m_repeats) {
            if (repeat.dropped > 0) {
                std::string text = repeat.line;
                if (!text.empty() && text.back() == '\n')
                    text.pop_back();
                std::fprintf(stderr, "Warning: Helper::writeLine: repeated %lld more times, not written to bound "
                             "the log: %s\n", repeat.dropped, text.c_str());
                repeat.dropped = 0;
            }
            // A line that did not come for a second ends its burst.
            if (repeat.seen) {
                repeat.seen = false;
                kept.push_back(std::move(repeat));
            }
        }
        m_repeats = std::move(kept);
    }

    std::mutex m_mutex;
    Clock::time_point m_secondStart = Clock::now();
    std::vector<Repeat> m_repeats;
};

RepeatLimiter& limiter()
{
    static RepeatLimiter instance;
    return instance;
}

} // namespace

void Helper::myMsgHandler(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    // One formatted write per message keeps lines of different threads apart.
    const QByteArray text = message.toLocal8Bit();
    switch (type) {
    case QtDebugMsg:
        writeLine(stderr, ("Debug: " + text + '\n').constData());
        break;
    case QtWarningMsg:
        writeLine(stderr, ("Warning: " + text + '\n').constData());
        break;
    case QtCriticalMsg:
        writeLine(stderr, ("Critical: " + text + '\n').constData());
        break;
    case QtFatalMsg:
        std::fprintf(stderr, "Fatal: %s\n", text.constData());
        std::abort();
    default:
        break;
    }
}

void Helper::writeLine(std::FILE* stream, const char* line)
{
    limiter().write(stream, line);
}

void Helper::writeTrace(const char* line)
{
    writeLine(stdout, line);
}

void Helper::flushRepeats()
{
    limiter().flush();
}
