// The measuring side of `scripts/bench startup`, run inside the Wine session: with notepad as the
// target, starts the bare popup program and mivra.exe in turns and takes the time from
// CreateProcess to a visible popup menu, and mivra's private memory above notepad's while its menu
// is open. A first round warms the caches and is not counted.
//
//   startup_driver DIST_DIR BARE_EXE [RUNS]
// DIST_DIR holds mivra.exe with the data file to measure (the sample); RUNS is 11 unless given.
#include "e2e_support.h"

// Notepad's main window, once it shows.
static HWND wait_notepad(DWORD pid)
{
    HWND found = nullptr;
    e2e::poll_until([&] { return (found = e2e::find_window("Notepad", pid)) != nullptr; });
    return found;
}

#include <algorithm>
#include <cstdlib>
#include <cstring>
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

// Whole text of a small file; Linux's /proc files report no size, so read to the end.
std::string read_all(const std::string &path)
{
    std::string text;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return text;
    char chunk[4096];
    DWORD got = 0;
    while (text.size() < (1u << 20) && ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0)
        text.append(chunk, got);
    CloseHandle(file);
    return text;
}

// The /proc folder (read through Wine's drive Z:) of the Wine process of this prefix whose command
// line ends in exe_name (lower case, with its backslash); "" when there is none.
std::string proc_dir(const std::string &exe_name)
{
    char prefix[MAX_PATH] = "";
    GetEnvironmentVariableA("WINEPREFIX", prefix, sizeof prefix);
    const std::string own_prefix = std::string("WINEPREFIX=") + prefix + '\0';
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA("Z:\\proc\\*", &found);
    if (search == INVALID_HANDLE_VALUE)
        return "";
    std::string result;
    do {
        const std::string dir = std::string("Z:\\proc\\") + found.cFileName + "\\";
        if (found.cFileName[0] < '1' || found.cFileName[0] > '9')
            continue;
        std::string command = read_all(dir + "cmdline");
        command = command.c_str(); // the first argument
        CharLowerA(&command[0]);
        if (command.size() >= exe_name.size() &&
            command.compare(command.size() - exe_name.size(), std::string::npos, exe_name) == 0 &&
            read_all(dir + "environ").find(own_prefix) != std::string::npos)
            result = dir;
    } while (result.empty() && FindNextFileA(search, &found));
    FindClose(search);
    return result;
}

// Private memory as Linux counts it for a Wine process: its resident anonymous pages ("RssAnon").
long long private_kb(const std::string &dir)
{
    const std::string status = read_all(dir + "status");
    const size_t at = status.find("RssAnon:");
    return dir.empty() || at == std::string::npos ? -1 : atoll(status.c_str() + at + strlen("RssAnon:"));
}

// The time the process has spent on a processor (the first field of "schedstat", in ns): unlike the
// time to the menu it hardly depends on what else the machine runs.
double cpu_ms(const std::string &dir)
{
    return dir.empty() ? -1 : atof(read_all(dir + "schedstat").c_str()) / 1e6;
}

std::string exe_name_of(const std::string &path)
{
    std::string name = path.substr(path.find_last_of('\\'));
    CharLowerA(&name[0]);
    return name;
}

bool bring_forward(HWND window)
{
    SetForegroundWindow(window);
    return poll_until([&] { return GetForegroundWindow() == window; }, foreground_timeout_ms);
}

struct start_sample {
    double ms = 0;
    double cpu_ms = 0;
    long long private_above_kb = 0;
};

// One start of exe, ended with Escape once its menu shows. With a baseline program, also the
// private memory above it while the menu is open.
bool measure_start(const std::string &exe, const std::string &dir, const char *baseline, start_sample *out)
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
    const std::string own_dir = shown ? proc_dir(exe_name_of(exe)) : "";
    out->cpu_ms = cpu_ms(own_dir);
    if (shown && baseline) {
        WaitForInputIdle(p.handle, idle_timeout_ms);
        const long long own = private_kb(own_dir), other = private_kb(proc_dir(baseline));
        if (own < 0 || other < 0)
            return false;
        out->private_above_kb = own - other;
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
    HWND target = notepad.handle ? wait_notepad(notepad.id) : nullptr;
    if (!target)
        return fail("notepad did not come up");

    std::vector<double> bare_ms, mivra_ms, bare_cpu, mivra_cpu;
    std::vector<long long> above_kb;
    for (int round = 0; round <= runs; ++round) {
        start_sample b, m;
        if (!bring_forward(target) || !measure_start(bare, dist, nullptr, &b))
            return fail("the bare popup program showed no menu");
        if (!bring_forward(target) || !measure_start(mivra, dist, "\\notepad.exe", &m))
            return fail("mivra.exe showed no menu");
        if (round == 0)
            continue;
        bare_ms.push_back(b.ms);
        mivra_ms.push_back(m.ms);
        bare_cpu.push_back(b.cpu_ms);
        mivra_cpu.push_back(m.cpu_ms);
        above_kb.push_back(m.private_above_kb);
    }
    kill_process(notepad);

    const double bare_median = median(bare_ms), mivra_median = median(mivra_ms);
    printf("bare popup program: median %.0f ms (%s)\n", bare_median, list_ms(bare_ms).c_str());
    printf("mivra.exe: median %.0f ms (%s)\n", mivra_median, list_ms(mivra_ms).c_str());
    printf("start-up overhead: %.0f ms\n", mivra_median - bare_median - fixed_wait_ms);
    const double bare_cpu_median = median(bare_cpu), mivra_cpu_median = median(mivra_cpu);
    printf("processor time to the menu: bare %.0f ms, mivra.exe %.0f ms (%s)\n", bare_cpu_median,
           mivra_cpu_median, list_ms(mivra_cpu).c_str());
    printf("start-up overhead in processor time: %.0f ms\n", mivra_cpu_median - bare_cpu_median);
    printf("private memory above notepad: %lld KB\n", median(above_kb));
    return 0;
}
