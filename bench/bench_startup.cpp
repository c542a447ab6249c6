// The start of the terminal until its login form is mapped, beside a bare Qt
// Widgets window started the same way (goal: at most 1.2x). Each round starts
// both, one after the other, so that a loaded machine weighs on both alike.
// Needs an X display (DISPLAY, e.g. Xvfb); the terminal runs in a home folder
// of its own, started once beforehand so that its database exists.
// Run with --benchmark_repetitions=N: the median rows are the figures.
// VELMORAN_STARTUP_PROGRAM names another build's program to measure instead.

#include <QByteArray>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <xcb/xcb.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

// Watches the root window for top-level windows being mapped.
class MapWatcher
{
public:
    MapWatcher()
    {
        connection = xcb_connect(nullptr, nullptr);
        if (xcb_connection_has_error(connection))
            return;
        root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
        const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(connection, root, XCB_CW_EVENT_MASK, &mask);
        xcb_flush(connection);
        ok = true;
    }
    ~MapWatcher() { xcb_disconnect(connection); }

    bool usable() const { return ok; }

    void drain()
    {
        while (xcb_generic_event_t* event = xcb_poll_for_event(connection))
            std::free(event);
    }

    // Waits until a window that is not override-redirect is mapped; false after timeoutMs.
    bool waitForMap(int timeoutMs)
    {
        const Clock::time_point end = Clock::now() + std::chrono::milliseconds(timeoutMs);
        pollfd fd{xcb_get_file_descriptor(connection), POLLIN, 0};
        for (;;) {
            while (xcb_generic_event_t* event = xcb_poll_for_event(connection)) {
                const bool mapped = (event->response_type & 0x7f) == XCB_MAP_NOTIFY &&
                                    !reinterpret_cast<xcb_map_notify_event_t*>(event)->override_redirect;
                std::free(event);
                if (mapped)
                    return true;
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
            if (left <= 0 || xcb_connection_has_error(connection))
                return false;
            ::poll(&fd, 1, int(left));
        }
    }

private:
    xcb_connection_t* connection = nullptr;
    xcb_window_t root = 0;
    bool ok = false;
};

const char* terminalProgram()
{
    const char* other = std::getenv("VELMORAN_STARTUP_PROGRAM");
    return other && *other ? other : VELMORAN_PROGRAM;
}

struct Started
{
    pid_t pid = -1;
    double seconds = -1; // until the map; negative when none came
};

Started startUntilMapped(MapWatcher& watcher, const char* program)
{
    watcher.drain();
    char* const args[] = {const_cast<char*>(program), nullptr};
    Started started;
    const Clock::time_point t0 = Clock::now();
    if (posix_spawn(&started.pid, program, nullptr, nullptr, args, environ) != 0) {
        started.pid = -1;
        return started;
    }
    if (watcher.waitForMap(30000))
        started.seconds = std::chrono::duration<double>(Clock::now() - t0).count();
    return started;
}

void stop(pid_t pid)
{
    if (pid <= 0)
        return;
    ::kill(pid, SIGTERM);
    int status = 0;
    ::waitpid(pid, &status, 0);
}

// One run of the terminal with its own home, unmeasured: the database and settings exist afterwards.
bool prepareHome(MapWatcher& watcher, const QTemporaryDir& home)
{
    ::setenv("HOME", home.path().toLocal8Bit().constData(), 1);
    ::setenv("VELMORAN_INSTANCE_KEY", "bench_startup", 1);
    const Started first = startUntilMapped(watcher, terminalProgram());
    stop(first.pid);
    const Started bare = startUntilMapped(watcher, BARE_PROGRAM);
    stop(bare.pid);
    return first.seconds >= 0 && bare.seconds >= 0;
}

void loginFormBesideBareWindow(benchmark::State& state)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        state.SkipWithError("no DISPLAY: start Xvfb and set DISPLAY");
        return;
    }
    MapWatcher watcher;
    QTemporaryDir home;
    if (!watcher.usable() || !home.isValid() || !prepareHome(watcher, home)) {
        state.SkipWithError("the display or the programs did not work");
        return;
    }
    double bareTotal = 0;
    double loginTotal = 0;
    for (auto _ : state) {
        const Started bare = startUntilMapped(watcher, BARE_PROGRAM);
        stop(bare.pid);
        const Started login = startUntilMapped(watcher, terminalProgram());
        stop(login.pid);
        if (bare.seconds < 0 || login.seconds < 0) {
            state.SkipWithError("a window was not mapped within 30 s");
            break;
        }
        bareTotal += bare.seconds;
        loginTotal += login.seconds;
        state.SetIterationTime(login.seconds);
    }
    state.counters["bare_ms"] = benchmark::Counter(bareTotal * 1000, benchmark::Counter::kAvgIterations);
    state.counters["ratio"] = benchmark::Counter(bareTotal > 0 ? loginTotal / bareTotal : 0);
}

} // namespace

BENCHMARK(loginFormBesideBareWindow)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);

BENCHMARK_MAIN();
