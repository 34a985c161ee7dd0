// The measuring side of `scripts/bench startup`, run inside the Wine session: with notepad as the
// target, starts the bare popup program and mivra.exe in turns and takes the time from
// CreateProcess to a visible popup menu, and mivra's private memory above notepad's while its menu
// is open. A first round warms the caches and is not counted.
//
//   startup_driver DIST_DIR BARE_EXE [RUNS]
// DIST_DIR holds mivra.exe with the data file to measure (the sample); RUNS is 11 unless given.
#include "e2e_support.h"

#include <psapi.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

using namespace e2e;

namespace {

const int default_runs = 11;
// What mivra.exe waits on purpose before its main menu (the activation's fixed pause).
const double fixed_wait_ms = 100;
const DWORD menu_timeout_ms = 20000;
const DWORD idle_timeout_ms = 2000;
const DWORD foreground_timeout_ms = 5000;

double now_ms()
{
    LARGE_INTEGER count, frequency;
    QueryPerformanceCounter(&count);
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(count.QuadPart) / static_cast<double>(frequency.QuadPart);
}

long long private_kb(HANDLE process)
{
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS *>(&counters),
                              sizeof counters))
        return 0;
    return static_cast<long long>(counters.PrivateUsage / 1024);
}

bool bring_forward(HWND window)
{
    SetForegroundWindow(window);
    return poll_until([&] { return GetForegroundWindow() == window; }, foreground_timeout_ms);
}

struct start_sample {
    double ms = 0;
    long long private_above_kb = 0;
};

// One start of exe, ended with Escape once its menu shows. With a baseline process, also the
// private memory above it while the menu is open.
bool measure_start(const std::string &exe, const std::string &dir, HANDLE baseline, start_sample *out)
{
    const double start = now_ms();
    process p = start_process(exe, "", dir);
    if (!p.handle)
        return false;
    bool shown = false;
    while (!(shown = find_popup_menu(p.id) != nullptr) && process_running(p) &&
           now_ms() - start < menu_timeout_ms)
        Sleep(1);
    out->ms = now_ms() - start;
    if (shown && baseline) {
        WaitForInputIdle(p.handle, idle_timeout_ms);
        out->private_above_kb = private_kb(p.handle) - private_kb(baseline);
    }
    if (shown)
        press_key(VK_ESCAPE);
    const bool ended = wait_process_exit(p, wait_ms, nullptr);
    kill_process(p);
    return shown && ended;
}

template <class T> T median(std::vector<T> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

std::string list_ms(const std::vector<double> &values)
{
    std::string text;
    for (double v : values) {
        char one[16];
        snprintf(one, sizeof one, "%s%.0f", text.empty() ? "" : " ", v);
        text += one;
    }
    return text;
}

int fail(const char *what)
{
    fprintf(stderr, "startup_driver: %s\n", what);
    return 1;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 3)
        return fail("usage: startup_driver DIST_DIR BARE_EXE [RUNS]");
    const std::string dist = windows_path(argv[1]);
    const std::string mivra = join_path(dist, "mivra.exe");
    const std::string bare = windows_path(argv[2]);
    const int runs = argc > 3 ? std::max(1, atoi(argv[3])) : default_runs;

    char system_dir[MAX_PATH] = "";
    GetSystemDirectoryA(system_dir, MAX_PATH);
    process notepad = start_process(join_path(system_dir, "notepad.exe"), "", dist);
    HWND target = notepad.handle ? wait_top_window("Notepad", nullptr, notepad.id) : nullptr;
    if (!target)
        return fail("notepad did not come up");

    std::vector<double> bare_ms, mivra_ms;
    std::vector<long long> above_kb;
    for (int round = 0; round <= runs; ++round) {
        start_sample b, m;
        if (!bring_forward(target) || !measure_start(bare, dist, nullptr, &b))
            return fail("the bare popup program showed no menu");
        if (!bring_forward(target) || !measure_start(mivra, dist, notepad.handle, &m))
            return fail("mivra.exe showed no menu");
        if (round == 0)
            continue;
        bare_ms.push_back(b.ms);
        mivra_ms.push_back(m.ms);
        above_kb.push_back(m.private_above_kb);
    }
    kill_process(notepad);

    const double bare_median = median(bare_ms), mivra_median = median(mivra_ms);
    printf("bare popup program: median %.0f ms (%s)\n", bare_median, list_ms(bare_ms).c_str());
    printf("mivra.exe: median %.0f ms (%s)\n", mivra_median, list_ms(mivra_ms).c_str());
    printf("start-up overhead: %.0f ms\n", mivra_median - bare_median - fixed_wait_ms);
    printf("private memory above notepad: %lld KB\n", median(above_kb));
    return 0;
}
