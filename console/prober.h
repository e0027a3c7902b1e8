#pragma once

#include <QString>
#include <QtGlobal>

#include <vector>

// Tells, per address, why a terminal does not answer: nothing there, no
// agent on TCP 9600, or an agent that answers. All addresses are probed at
// once with non-blocking sockets, at most `parallel` in flight, so a sweep
// of a /22 takes seconds and no thread per address.
class Prober
{
public:
    static constexpr int DefaultTimeoutMs = 1500;
    static constexpr int DefaultParallel = 256;
    // Well below the usual limit of 1024 descriptors a process may hold.
    static constexpr int MaxParallel = 512;

    enum class State {
        Alive,       // the agent took the request and closed, as it does
        Refused,     // the host answered, nothing listens on 9600
        Unreachable, // no route, no host, or no answer in time
    };

    struct Result
    {
        quint32 address = 0; // host order
        State state = State::Unreachable;
        int milliseconds = -1; // until the answer; -1 without one
        QString detail;
    };

    static const char* name(State state);

    // Results in the order of the addresses. False, with error set, only when
    // this host could not make a socket (the results end where it failed).
    static bool run(const std::vector<quint32>& addresses, int timeoutMs, int parallel,
                    std::vector<Result>& results, QString& error);
};
