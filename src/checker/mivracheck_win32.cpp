// mivracheck.exe: the checker as a console program beside mivra.exe, printing code page 932.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "checker/checker.h"
#include "text/sjis.h"

namespace {

void print_line(const char *native, const char *text)
{
    fputs(native, stdout);
    fputs(text, stdout);
    fputc('\n', stdout);
}

} // namespace

int main(int argc, char **argv)
{
    char exe[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, exe, sizeof exe);
    // Drive and folder, split with care for trail bytes that look like a backslash.
    char exe_dir[path_capacity] = ".\\";
    if (length > 0 && length < sizeof exe) {
        char dir[path_capacity];
        split_path(exe, exe_dir, dir, nullptr, nullptr);
        append_text(exe_dir, sizeof exe_dir, dir);
    }
    int status = run_checker(argc, argv, exe_dir, print_line, nullptr);
    fflush(stdout);
    return status;
}
