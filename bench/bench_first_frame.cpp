// Start-up of a GUI program seen from outside, for bench/launcherstartup.sh
// (which takes the medians over its runs):
//   bench_first_frame --log TEXT PROGRAM [ARGS...]
//   bench_first_frame --fb PIXELFILE PROGRAM [ARGS...]
// Starts PROGRAM and waits for its first painted frame: with --log, the
// first stderr line holding TEXT (the offscreen platform draws nowhere, so
// Qt's own paint logging marks the flush); with --fb, the first non-zero
// pixel in the framebuffer stand-in's pixel file, which is removed first so
// the frame starts black. One second later it reads the program's peak
// resident memory (VmHWM) and stops it. Prints:
//   "FIRST_FRAME_MS VMHWM_KIB"
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <string>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

struct Watch {
    bool framebuffer = false;
    std::string target; // the log text or the pixel file
};

// True when the pixel file holds a drawn pixel. Every 4th pixel of every
// 4th row is enough: a first frame covers the window, and the whole file
// would cost the program under test a share of the machine at each poll.
bool framePainted(const std::string& path)
{
    const int fd = open(path.c_str(), O_RDONLY);
    if (fd < 0)
        return false;
    struct stat st {};
    bool painted = false;
    if (fstat(fd, &st) == 0 && st.st_size >= 4) {
        const auto size = size_t(st.st_size);
        void* map = mmap(nullptr, size, PROT_READ, MAP_SHARED, fd, 0);
        if (map != MAP_FAILED) {
            const auto* pixels = static_cast<const uint32_t*>(map);
            const size_t count = size / 4;
            // Rows of 1024 or more pixels: step a few rows and a few pixels.
            for (size_t i = 0; i < count && !painted; i += 4 * 1024 + 4)
                painted = (pixels[i] & 0x00ffffffu) != 0;
            munmap(map, size);
        }
    }
    close(fd);
    return painted;
}

long peakKib(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::strtol(line.c_str() + 6, nullptr, 10);
    return -1;
}

// One run: {milliseconds to the first frame, VmHWM KiB}, or {-1, -1} when no
// frame came within ten seconds (the program's output is passed on).
std::pair<double, long> runOnce(const Watch& watch, char** program)
{
    if (watch.framebuffer)
        unlink(watch.target.c_str());
    int pipeFds[2];
    if (pipe(pipeFds) != 0)
        return {-1, -1};
    const auto start = Clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(pipeFds[1], STDERR_FILENO);
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        close(pipeFds[0]);
        execv(program[0], program);
        std::perror(program[0]);
        _exit(127);
    }
    close(pipeFds[1]);

    std::string output;
    double elapsedMs = -1;
    bool exited = false;
    while (Clock::now() - start < std::chrono::seconds(10)) {
        pollfd fd{pipeFds[0], POLLIN, 0};
        if (poll(&fd, 1, 1) > 0) {
            char buffer[4096];
            const ssize_t got = read(pipeFds[0], buffer, sizeof buffer);
            if (got <= 0) {
                exited = true;
                break;
            }
            output.append(buffer, size_t(got));
        }
        const bool seen = watch.framebuffer ? framePainted(watch.target)
                                            : output.find(watch.target) != std::string::npos;
        if (seen) {
            elapsedMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
            break;
        }
    }
    long peak = -1;
    if (elapsedMs >= 0) {
        // Keep draining stderr while the program settles, so it never blocks on it.
        const auto settle = Clock::now() + std::chrono::seconds(1);
        while (Clock::now() < settle) {
            pollfd fd{pipeFds[0], POLLIN, 0};
            char buffer[4096];
            if (poll(&fd, 1, 50) > 0 && read(pipeFds[0], buffer, sizeof buffer) <= 0)
                break;
        }
        peak = peakKib(pid);
    } else {
        std::fprintf(stderr, "%s: no first frame%s; its output:\n%s\n", program[0],
                     exited ? " (it exited)" : " within 10 s", output.c_str());
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    close(pipeFds[0]);
    if (peak < 0)
        return {-1, -1};
    return {elapsedMs, peak};
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc < 4 || (std::strcmp(argv[1], "--log") != 0 && std::strcmp(argv[1], "--fb") != 0)) {
        std::fprintf(stderr, "usage: bench_first_frame (--log TEXT | --fb PIXELFILE) PROGRAM [ARGS...]\n");
        return 2;
    }
    const Watch watch{std::strcmp(argv[1], "--fb") == 0, argv[2]};
    const auto [ms, kib] = runOnce(watch, argv + 3);
    if (ms < 0)
        return 1;
    std::printf("%.1f %ld\n", ms, kib);
    return 0;
}
