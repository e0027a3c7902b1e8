#include "mylib.h"
#include "testframe.h"

#include <QByteArray>
#include <QCoreApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>
#include <vector>

#include <jpeglib.h>

// Cost of one screenshot (framebuffer copy + JPEG) in the agent against the
// bare path it cannot beat: one copy of the mapped frame into a buffer that
// is already allocated, and one libjpeg encode of it (BGRX rows, 4:2:0,
// quality 75, accurate DCT, baseline) into an output buffer also kept. Both
// read the framebuffer stand-in's /dev/fb0; runs alternate between the two.

namespace {

constexpr int Width = 1920;
constexpr int Height = 1080;
const char* const FramePath = "/tmp/fb0.raw";

using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The reference: what any capture of a 32-bit frame has to do at least.
class BarePath
{
public:
    BarePath() : m_size(size_t(Width) * Height * 4), m_frame(m_size), m_output(m_size)
    {
        m_fd = ::open("/dev/fb0", O_RDONLY | O_CLOEXEC);
        m_mapping = m_fd < 0 ? MAP_FAILED : ::mmap(nullptr, m_size, PROT_READ, MAP_SHARED, m_fd, 0);
        m_compress.err = jpeg_std_error(&m_errors);
        jpeg_create_compress(&m_compress);
        // Paged in once, as a buffer kept between captures is.
        std::memset(m_frame.data(), 0, m_size);
        std::memset(m_output.data(), 0, m_size);
    }
    ~BarePath()
    {
        jpeg_destroy_compress(&m_compress);
        if (m_mapping != MAP_FAILED)
            ::munmap(m_mapping, m_size);
        if (m_fd >= 0)
            ::close(m_fd);
    }
    BarePath(const BarePath&) = delete;
    BarePath& operator=(const BarePath&) = delete;

    bool ready() const { return m_mapping != MAP_FAILED; }

    // Copies and encodes; the JPEG file's size.
    size_t capture()
    {
        std::memcpy(m_frame.data(), m_mapping, m_size);
        unsigned char* out = m_output.data();
        unsigned long outSize = m_output.size();
        jpeg_mem_dest(&m_compress, &out, &outSize);
        m_compress.image_width = Width;
        m_compress.image_height = Height;
        m_compress.input_components = 4;
        m_compress.in_color_space = JCS_EXT_BGRX;
        jpeg_set_defaults(&m_compress);
        m_compress.dct_method = JDCT_ISLOW;
        jpeg_set_quality(&m_compress, 75, TRUE);
        jpeg_start_compress(&m_compress, TRUE);
        std::vector<JSAMPROW> rows(Height);
        for (int y = 0; y < Height; ++y)
            rows[size_t(y)] = m_frame.data() + size_t(y) * Width * 4;
        while (m_compress.next_scanline < m_compress.image_height)
            jpeg_write_scanlines(&m_compress, rows.data() + m_compress.next_scanline,
                                 Height - m_compress.next_scanline);
        jpeg_finish_compress(&m_compress);
        m_last.assign(out, out + outSize);
        return outSize;
    }

    // The last JPEG file written.
    QByteArray lastFile() const
    {
        return QByteArray(reinterpret_cast<const char*>(m_last.data()), qsizetype(m_last.size()));
    }

private:
    size_t m_size;
    std::vector<unsigned char> m_frame;
    std::vector<unsigned char> m_output;
    std::vector<unsigned char> m_last;
    int m_fd = -1;
    void* m_mapping = MAP_FAILED;
    jpeg_compress_struct m_compress;
    jpeg_error_mgr m_errors;
};

void discardMessage(QtMsgType, const QMessageLogContext&, const QString&) {}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    if (qgetenv("TERMINAL_SANDBOX") != "1" || !qgetenv("LD_PRELOAD").contains("fbshim")) {
        std::fprintf(stderr,
                     "%s: run it through bench/screenshot.sh (sandbox, framebuffer stand-in)\n",
                     argv[0]);
        return 2;
    }
    const int runs = argc > 1 ? std::max(3, std::atoi(argv[1])) : 15;
    // The agent's two debug lines per capture would only clutter the figures.
    qInstallMessageHandler(discardMessage);

    if (!TestFrame::install(0, QString::fromLatin1(FramePath), Width, Height, 32)) {
        std::fprintf(stderr, "cannot write %s\n", FramePath);
        return 1;
    }
    BarePath bare;
    QByteArray agentJpeg;
    if (!bare.ready() || !Provider::getScreenImage(agentJpeg)) {
        std::fprintf(stderr, "no frame to capture\n");
        return 1;
    }
    bare.capture();

    std::vector<double> bareTimes;
    std::vector<double> agentTimes;
    for (int run = 0; run < runs; ++run) {
        Clock::time_point start = Clock::now();
        bare.capture();
        bareTimes.push_back(millisecondsSince(start));
        start = Clock::now();
        Provider::getScreenImage(agentJpeg);
        agentTimes.push_back(millisecondsSince(start));
    }
    // The bare encode writes libjpeg's default JFIF density; the agent
    // writes Qt's. Past the header both files must be the same.
    const QByteArray bareJpeg = bare.lastFile();
    const bool same = bareJpeg.size() == agentJpeg.size() && bareJpeg.mid(20) == agentJpeg.mid(20);

    if (!TestFrame::install(0, QString::fromLatin1(FramePath), Width, Height, 16)) {
        std::fprintf(stderr, "cannot write %s\n", FramePath);
        return 1;
    }
    QByteArray jpeg16;
    Provider::getScreenImage(jpeg16);
    std::vector<double> times16;
    for (int run = 0; run < runs; ++run) {
        const Clock::time_point start = Clock::now();
        Provider::getScreenImage(jpeg16);
        times16.push_back(millisecondsSince(start));
    }
    ::unlink(FramePath);

    const double bareMs = median(bareTimes);
    const double agentMs = median(agentTimes);
    std::printf("screenshot of a %dx%d desktop frame, median of %d runs\n", Width, Height, runs);
    std::printf("  32 bits  bare copy + libjpeg %7.2f ms   agent %7.2f ms   ratio %.2f\n", bareMs,
                agentMs, agentMs / bareMs);
    const double ms16 = median(times16);
    std::printf("  16 bits  agent %7.2f ms (%.2f times the bare 32-bit path)\n", ms16,
                ms16 / bareMs);
    std::printf("  JPEG %lld bytes (16 bits: %lld), agent's file equals the bare encode: %s\n",
                static_cast<long long>(agentJpeg.size()), static_cast<long long>(jpeg16.size()),
                same ? "yes" : "NO");
    return same ? 0 : 1;
}
