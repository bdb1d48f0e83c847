// Starts two programs in turn on the X server in $DISPLAY and reports, for
// each, the time from launch to its first window being mapped and to its
// first paint, and its peak resident memory; then the medians and the ratios
// of the first program to the second.
//
// The first paint is the first damage the server records after the map: the
// moment the window's contents can be seen. Each program is left running for
// a short while after that, so the memory it needs to sit idle counts too,
// then terminated.

#include <xcb/damage.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

struct Sample
{
    double mappedMs;
    double paintedMs;
    long peakRssKb;
};

[[noreturn]] void fail(const std::string &why)
{
    std::fprintf(stderr, "startupprobe: %s\n", why.c_str());
    std::exit(1);
}

double millisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

class Display
{
public:
    Display()
    {
        m_connection = xcb_connect(nullptr, nullptr);
        if (xcb_connection_has_error(m_connection))
            fail("cannot connect to the X server in $DISPLAY");
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;

        const xcb_query_extension_reply_t *damage
                = xcb_get_extension_data(m_connection, &xcb_damage_id);
        if (!damage || !damage->present)
            fail("the X server has no DAMAGE extension");
        m_damageEvent = damage->first_event + XCB_DAMAGE_NOTIFY;
        std::free(xcb_damage_query_version_reply(m_connection,
                                                 xcb_damage_query_version(m_connection,
                                                                          XCB_DAMAGE_MAJOR_VERSION,
                                                                          XCB_DAMAGE_MINOR_VERSION),
                                                 nullptr));

        // Maps of top-level windows, and any drawing below the root.
        const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(m_connection, m_root, XCB_CW_EVENT_MASK, &mask);
        m_damage = xcb_generate_id(m_connection);
        xcb_damage_create(m_connection, m_damage, m_root, XCB_DAMAGE_REPORT_LEVEL_NON_EMPTY);
        xcb_flush(m_connection);
    }

    ~Display() { xcb_disconnect(m_connection); }

    Display(const Display &) = delete;
    Display &operator=(const Display &) = delete;

    // Forgets what happened before, so the next events belong to the next run.
    void reset()
    {
        sync();
        while (xcb_generic_event_t *event = xcb_poll_for_event(m_connection))
            std::free(event);
        rearmDamage();
    }

    enum class Happening { Nothing, Mapped, Damaged };

    // Waits up to `timeoutMs` for a top-level map or for damage.
    Happening next(int timeoutMs)
    {
        xcb_generic_event_t *event = xcb_poll_for_event(m_connection);
        if (!event) {
            pollfd descriptor{xcb_get_file_descriptor(m_connection), POLLIN, 0};
            if (poll(&descriptor, 1, timeoutMs) <= 0)
                return Happening::Nothing;
            event = xcb_poll_for_event(m_connection);
            if (!event) {
                if (xcb_connection_has_error(m_connection))
                    fail("lost the X server");
                return Happening::Nothing;
            }
        }
        const int type = event->response_type & 0x7f;
        std::free(event);
        if (type == XCB_MAP_NOTIFY)
            return Happening::Mapped;
        if (type == m_damageEvent) {
            rearmDamage();
            return Happening::Damaged;
        }
        return Happening::Nothing;
    }

private:
    // A round trip: every event the server sent before it has arrived.
    void sync()
    {
        std::free(xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection),
                                            nullptr));
    }

    // A non-empty report comes once until the damage is taken away again.
    void rearmDamage()
    {
        xcb_damage_subtract(m_connection, m_damage, XCB_NONE, XCB_NONE);
        xcb_flush(m_connection);
    }

    xcb_connection_t *m_connection = nullptr;
    xcb_window_t m_root = XCB_NONE;
    xcb_damage_damage_t m_damage = XCB_NONE;
    int m_damageEvent = 0;
};

Sample measure(Display &display, const char *program, int settleMs)
{
    // A command line of words, as a desktop entry's Exec= gives one; split
    // before the clock starts, and not in the forked child.
    std::vector<std::string> words;
    std::istringstream split(program);
    for (std::string word; split >> word;)
        words.push_back(word);
    std::vector<char *> arguments;
    for (std::string &word : words)
        arguments.push_back(word.data());
    arguments.push_back(nullptr);

    display.reset();
    const Clock::time_point start = Clock::now();
    const pid_t child = fork();
    if (child < 0)
        fail("cannot fork");
    if (child == 0) {
        execvp(arguments[0], arguments.data());
        std::fprintf(stderr, "startupprobe: cannot start %s: %s\n", program, std::strerror(errno));
        _exit(127);
    }

    std::optional<double> mapped;
    std::optional<double> painted;
    while (!painted) {
        const Display::Happening happening = display.next(100);
        if (happening == Display::Happening::Mapped && !mapped)
            mapped = millisecondsSince(start);
        else if (happening == Display::Happening::Damaged && mapped)
            painted = millisecondsSince(start);
        if (millisecondsSince(start) > 20000)
            fail(std::string(program) + " showed no window within 20 s");
        if (waitpid(child, nullptr, WNOHANG) == child)
            fail(std::string(program) + " ended before it showed a window");
    }

    const Clock::time_point settled = Clock::now() + std::chrono::milliseconds(settleMs);
    while (Clock::now() < settled)
        display.next(10);
    kill(child, SIGTERM);
    int status = 0;
    rusage usage{};
    if (wait4(child, &status, 0, &usage) != child)
        fail("lost the child process");
    return {*mapped, *painted, usage.ru_maxrss};
}

template <typename T>
double median(std::vector<T> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? static_cast<double>(values[middle])
                             : (static_cast<double>(values[middle - 1]) + values[middle]) / 2.0;
}

struct Summary
{
    double mappedMs;
    double paintedMs;
    double peakRssKb;
};

Summary summarise(const std::vector<Sample> &samples)
{
    std::vector<double> mapped;
    std::vector<double> painted;
    std::vector<long> rss;
    for (const Sample &sample : samples) {
        mapped.push_back(sample.mappedMs);
        painted.push_back(sample.paintedMs);
        rss.push_back(sample.peakRssKb);
    }
    return {median(mapped), median(painted), median(rss)};
}

} // namespace

int main(int argc, char *argv[])
{
    int rounds = 15;
    int settleMs = 500;
    std::vector<const char *> programs;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--rounds" && i + 1 < argc)
            rounds = std::atoi(argv[++i]);
        else if (argument == "--settle-ms" && i + 1 < argc)
            settleMs = std::atoi(argv[++i]);
        else
            programs.push_back(argv[i]);
    }
    if (programs.empty() || programs.size() % 2 != 0 || rounds < 1 || settleMs < 0) {
        std::fprintf(
                stderr,
                "usage: %s [--rounds N] [--settle-ms MS] PROGRAM BASELINE [PROGRAM BASELINE]...\n",
                argv[0]);
        return 2;
    }

    Display display;
    // One unmeasured start each, so all find the libraries in the page cache.
    for (const char *program : programs)
        measure(display, program, 0);

    std::vector<std::vector<Sample>> samples(programs.size());
    for (int round = 0; round < rounds; ++round) {
        for (std::size_t which = 0; which < programs.size(); ++which) {
            const Sample sample = measure(display, programs[which], settleMs);
            samples[which].push_back(sample);
            std::printf("round %2d  %-56s mapped %7.1f ms  painted %7.1f ms  peak RSS %7ld KiB\n",
                        round + 1, programs[which], sample.mappedMs, sample.paintedMs,
                        sample.peakRssKb);
        }
    }

    std::printf("\nmedians of %d alternating rounds\n", rounds);
    std::printf("%-56s %14s %14s %14s\n", "", "mapped (ms)", "painted (ms)", "peak RSS (KiB)");
    for (std::size_t pair = 0; pair < programs.size(); pair += 2) {
        const Summary program = summarise(samples[pair]);
        const Summary baseline = summarise(samples[pair + 1]);
        std::printf("%-56s %14.1f %14.1f %14.0f\n", programs[pair], program.mappedMs,
                    program.paintedMs, program.peakRssKb);
        std::printf("%-56s %14.1f %14.1f %14.0f\n", programs[pair + 1], baseline.mappedMs,
                    baseline.paintedMs, baseline.peakRssKb);
        std::printf("%-56s %14.3f %14.3f %14.3f\n", "ratio", program.mappedMs / baseline.mappedMs,
                    program.paintedMs / baseline.paintedMs, program.peakRssKb / baseline.peakRssKb);
    }
    return 0;
}
