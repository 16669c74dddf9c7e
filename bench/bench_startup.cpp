// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up of the real program, watched from outside on an X server: the time from its exec to the moment each
// named window has been drawn over completely for the first time, then its memory a second later.
//
// Usage: bench-startup [--stop] PROGRAM "WINDOW TITLE"... (DISPLAY names the X server; Xvfb in startup-bench.sh)
// With --stop the program is ended (SIGTERM, which it does not catch) the moment its windows are complete, so that a
// count of its instructions (perf stat, or valgrind --tool=callgrind, which writes its counts on that signal) holds
// the work up to its first frames and little after; memory is not measured then.
// Prints one line: window1=MS window2=MS ... all=MS cpu=MS rss=KIB private_dirty=KIB private_clean=KIB, where cpu is
// the processor time the program had used by then (less disturbed than the others by whatever else runs).
//
// The X server reports every drawing into a window (the DAMAGE extension). A window's first frame is complete when
// the drawing received since it was mapped covers all of its pixels: the program paints each window into a backing
// store and copies it to the screen in one go, so this is the moment the user first sees the whole window.
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <poll.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>
#include <xcb/damage.h>
#include <xcb/xcb.h>

namespace {

using Clock = std::chrono::steady_clock;

double millisecondsBetween(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double, std::milli>(to - from).count();
}

template<typename T> using Reply = std::unique_ptr<T, decltype(&std::free)>;
template<typename T> Reply<T> reply(T *pointer)
{
    return Reply<T>(pointer, &std::free);
}

struct Window {
    xcb_damage_damage_t damage = 0;
    bool mapped = false;
    int width = 0, height = 0;
    std::vector<std::uint8_t> drawn; // one flag a pixel, once mapped
    long remaining = 0; // pixels not drawn yet
    std::string title;
    std::optional<double> firstFrame; // ms since the exec
};

std::string windowTitle(xcb_connection_t *connection, xcb_window_t window)
{
    auto atom = [connection](const char *name) {
        auto r = reply(xcb_intern_atom_reply(
            connection, xcb_intern_atom(connection, 0, std::uint16_t(std::strlen(name)), name), nullptr));
        return r ? r->atom : xcb_atom_t(XCB_ATOM_NONE);
    };
    static const xcb_atom_t netWmName = atom("_NET_WM_NAME");
    static const xcb_atom_t utf8 = atom("UTF8_STRING");
    for (auto [property, type] :
        { std::pair { netWmName, utf8 }, std::pair { xcb_atom_t(XCB_ATOM_WM_NAME), xcb_atom_t(XCB_ATOM_STRING) } }) {
        auto r = reply(xcb_get_property_reply(
            connection, xcb_get_property(connection, 0, window, property, type, 0, 256), nullptr));
        if (r && xcb_get_property_value_length(r.get()) > 0)
            return std::string(static_cast<const char *>(xcb_get_property_value(r.get())),
                std::size_t(xcb_get_property_value_length(r.get())));
    }
    return {};
}

// Marks a rectangle as drawn; returns true when that completes the window.
bool markDrawn(Window &window, int x, int y, int width, int height)
{
    const int left = std::max(0, x), top = std::max(0, y);
    const int right = std::min(window.width, x + width), bottom = std::min(window.height, y + height);
    for (int row = top; row < bottom; ++row) {
        for (int column = left; column < right; ++column) {
            std::uint8_t &flag = window.drawn[std::size_t(row) * std::size_t(window.width) + std::size_t(column)];
            if (!flag) {
                flag = 1;
                --window.remaining;
            }
        }
    }
    return window.remaining == 0;
}

// Processor time the process has used so far, all threads together, in milliseconds.
double processorMilliseconds(pid_t pid)
{
    const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
    double total = 0;
    if (DIR *directory = opendir(tasks.c_str())) {
        while (const dirent *entry = readdir(directory)) {
            if (entry->d_name[0] == '.')
                continue;
            std::ifstream schedstat(tasks + "/" + entry->d_name + "/schedstat");
            double nanoseconds = 0;
            if (schedstat >> nanoseconds)
                total += nanoseconds / 1e6;
        }
        closedir(directory);
    }
    return total;
}

long kibibytes(const std::string &file, const std::string &field)
{
    std::ifstream in(file);
    std::string line;
    long total = 0;
    bool found = false;
    while (std::getline(in, line)) {
        if (line.rfind(field, 0) == 0) {
            std::istringstream(line.substr(field.size())) >> total;
            found = true;
            break;
        }
    }
    return found ? total : -1;
}

} // namespace

int main(int argc, char *argv[])
{
    const bool stop = argc > 1 && std::strcmp(argv[1], "--stop") == 0;
    if (stop) {
        --argc;
        ++argv;
    }
    if (argc < 3) {
        std::fprintf(stderr, "usage: bench-startup [--stop] PROGRAM \"WINDOW TITLE\"...\n");
        return 2;
    }
    const std::vector<std::string> titles(argv + 2, argv + argc);

    int screenNumber = 0;
    xcb_connection_t *connection = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(connection)) {
        std::fprintf(stderr, "bench-startup: cannot open the display\n");
        return 1;
    }
    const xcb_query_extension_reply_t *damageExtension = xcb_get_extension_data(connection, &xcb_damage_id);
    if (!damageExtension || !damageExtension->present) {
        std::fprintf(stderr, "bench-startup: the X server has no DAMAGE extension\n");
        return 1;
    }
    reply(xcb_damage_query_version_reply(connection, xcb_damage_query_version(connection, 1, 1), nullptr));
    const std::uint8_t damageNotify = damageExtension->first_event + XCB_DAMAGE_NOTIFY;

    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; i < screenNumber; ++i)
        xcb_screen_next(&screens);
    const xcb_window_t root = screens.data->root;
    const std::uint32_t rootEvents = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(connection, root, XCB_CW_EVENT_MASK, &rootEvents);
    xcb_flush(connection);

    const Clock::time_point exec = Clock::now();
    const pid_t child = fork();
    if (child == 0) {
        char *const arguments[] = { argv[1], nullptr };
        execv(argv[1], arguments);
        std::fprintf(stderr, "bench-startup: cannot run %s: %s\n", argv[1], std::strerror(errno));
        _exit(127);
    }

    std::map<xcb_window_t, Window> windows;
    std::map<std::string, double> frames;
    // A program run under valgrind, as --stop is meant for, starts some fifty times slower.
    const auto patience = std::chrono::seconds(stop ? 300 : 10);
    const Clock::time_point deadline = exec + patience;
    std::optional<Clock::time_point> measureMemoryAt;
    double processor = 0; // used by the program until all its windows were complete
    const int fd = xcb_get_file_descriptor(connection);
    while (!measureMemoryAt || Clock::now() < *measureMemoryAt) {
        const Clock::time_point now = Clock::now();
        if (now >= deadline)
            break;
        const Clock::time_point wakeUp = measureMemoryAt ? std::min(*measureMemoryAt, deadline) : deadline;
        pollfd pending { fd, POLLIN, 0 };
        poll(&pending, 1, int(std::max(1.0, millisecondsBetween(now, wakeUp))));
        while (auto event = reply(xcb_poll_for_event(connection))) {
            const Clock::time_point at = Clock::now();
            const std::uint8_t type = event->response_type & 0x7F;
            if (type == XCB_CREATE_NOTIFY) {
                auto *created = reinterpret_cast<xcb_create_notify_event_t *>(event.get());
                if (created->parent != root)
                    continue;
                Window &window = windows[created->window];
                window.damage = xcb_generate_id(connection);
                xcb_damage_create(connection, window.damage, created->window, XCB_DAMAGE_REPORT_LEVEL_RAW_RECTANGLES);
                xcb_flush(connection);
            } else if (type == XCB_MAP_NOTIFY) {
                auto *mapped = reinterpret_cast<xcb_map_notify_event_t *>(event.get());
                auto found = windows.find(mapped->window);
                if (found == windows.end() || found->second.mapped)
                    continue;
                Window &window = found->second;
                auto geometry
                    = reply(xcb_get_geometry_reply(connection, xcb_get_geometry(connection, mapped->window), nullptr));
                if (!geometry)
                    continue;
                window.mapped = true;
                window.width = geometry->width;
                window.height = geometry->height;
                window.drawn.assign(std::size_t(window.width) * std::size_t(window.height), 0);
                window.remaining = long(window.width) * window.height;
                window.title = windowTitle(connection, mapped->window);
            } else if (type == damageNotify) {
                auto *damaged = reinterpret_cast<xcb_damage_notify_event_t *>(event.get());
                auto found = windows.find(damaged->drawable);
                if (found == windows.end() || !found->second.mapped || found->second.firstFrame)
                    continue;
                Window &window = found->second;
                if (markDrawn(window, damaged->area.x, damaged->area.y, damaged->area.width, damaged->area.height)) {
                    window.firstFrame = millisecondsBetween(exec, at);
                    frames.emplace(window.title, *window.firstFrame);
                    const bool all = std::all_of(titles.begin(), titles.end(),
                        [&frames](const std::string &title) { return frames.count(title) > 0; });
                    if (all) {
                        processor = processorMilliseconds(child);
                        if (stop)
                            kill(child, SIGTERM);
                        measureMemoryAt = stop ? at : at + std::chrono::seconds(1);
                    }
                }
            }
        }
        if (xcb_connection_has_error(connection))
            break;
    }

    const std::string proc = "/proc/" + std::to_string(child);
    const long rss = kibibytes(proc + "/status", "VmRSS:");
    const long dirty = kibibytes(proc + "/smaps_rollup", "Private_Dirty:");
    const long clean = kibibytes(proc + "/smaps_rollup", "Private_Clean:");
    // Ended as the desktop ends a program at logout; one that does not go within two seconds (a minute with --stop)
    // is killed.
    kill(child, SIGTERM);
    int status = 0;
    for (int i = 0; i < (stop ? 6000 : 200) && waitpid(child, &status, WNOHANG) == 0; ++i)
        usleep(10000);
    if (waitpid(child, &status, WNOHANG) == 0) {
        kill(child, SIGKILL);
        waitpid(child, &status, 0);
    }
    xcb_disconnect(connection);

    bool complete = true;
    double slowest = 0;
    for (std::size_t i = 0; i < titles.size(); ++i) {
        const auto found = frames.find(titles[i]);
        if (found == frames.end()) {
            std::fprintf(stderr, "bench-startup: no complete frame of \"%s\"\n", titles[i].c_str());
            complete = false;
        } else {
            std::printf("window%zu=%.1f ", i + 1, found->second);
            slowest = std::max(slowest, found->second);
        }
    }
    if (!complete)
        return 1;
    // Private memory: pages this process has written (heap, data of its libraries) and clean pages of files that no
    // other process maps at the moment (which depends on what else runs).
    std::printf(
        "all=%.1f cpu=%.1f rss=%ld private_dirty=%ld private_clean=%ld\n", slowest, processor, rss, dirty, clean);
    return 0;
}
