#include "sharekeys.h"
#include "tcpconnection.h"
#include "testframe.h"

#include <QByteArray>
#include <QFile>

#include <arpa/inet.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <latch>
#include <thread>
#include <vector>

// The console side of bench/screenmemory.sh.
//   bench_screen_clients frame PATH WIDTH HEIGHT
//       writes a desktop-like 32-bit frame for the framebuffer stand-in.
//   bench_screen_clients CLIENTS ROUNDS
//       ROUNDS times, CLIENTS screenshot requests to the agent on this host's
//       loopback at the same moment; rounds lie far enough apart that the
//       agent's newer image is stale each time and every round makes it
//       capture. Prints how many answers held an image.

namespace {

// The agent refreshes an image more than 2 s old; each round must find it so.
constexpr auto RoundSpacing = std::chrono::milliseconds(3200);

// One client: its answer's JPEG size, 0 for an answer without an image, or
// -1 for one that was not an image at all.
qint64 requestScreenshot()
{
    TcpConnection connection;
    QString error;
    QByteArray answer;
    if (!connection.open(INADDR_LOOPBACK, 30000, error)
        || !connection.sendRequest(ShareKeys::ScreenRequest, std::string(), error)
        || !connection.readToEnd(answer, error))
        return -1;
    if (answer.isEmpty())
        return 0;
    quint32 length = 0;
    std::memcpy(&length, answer.constData(), std::min<size_t>(4, size_t(answer.size())));
    const bool whole = answer.size() > 4 && qint64(length) == answer.size() - 4
                       && answer.mid(4, 2) == QByteArray("\xff\xd8", 2);
    return whole ? answer.size() - 4 : -1;
}

int writeFrame(const char* path, int width, int height)
{
    QFile file(QString::fromLocal8Bit(path));
    const QByteArray pixels = TestFrame::pixels(width, height, 32);
    if (pixels.isEmpty() || !file.open(QIODevice::WriteOnly) || file.write(pixels) != pixels.size()) {
        std::fprintf(stderr, "cannot write the frame %s\n", path);
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char* argv[])
{
    if (qgetenv("TERMINAL_SANDBOX") != "1") {
        std::fprintf(stderr, "%s: run it through bench/screenmemory.sh (sandbox)\n", argv[0]);
        return 2;
    }
    if (argc == 5 && std::strcmp(argv[1], "frame") == 0)
        return writeFrame(argv[2], std::atoi(argv[3]), std::atoi(argv[4]));
    const int clients = argc > 1 ? std::max(1, std::atoi(argv[1])) : 8;
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 6;

    int images = 0;
    int failures = 0;
    qint64 jpegSize = 0;
    for (int round = 0; round < rounds; ++round) {
        if (round > 0)
            std::this_thread::sleep_for(RoundSpacing);
        std::vector<qint64> answers(size_t(clients), -1);
        std::latch start(clients);
        std::vector<std::thread> threads;
        for (int client = 0; client < clients; ++client) {
            threads.emplace_back([&answers, &start, client] {
                start.arrive_and_wait();
                answers[size_t(client)] = requestScreenshot();
            });
        }
        for (std::thread& thread : threads)
            thread.join();
        for (const qint64 answer : answers) {
            images += answer > 0 ? 1 : 0;
            failures += answer < 0 ? 1 : 0;
            jpegSize = std::max(jpegSize, answer);
        }
    }
    std::printf("%d %d %lld\n", images, failures, static_cast<long long>(jpegSize));
    return failures == 0 ? 0 : 1;
}
