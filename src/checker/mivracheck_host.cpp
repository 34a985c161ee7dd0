// mivracheck for Linux: the checker over the host seam (real files), printing UTF-8. The data file
// stays in code page 932; names in it are looked up from the data file's folder, which stands for
// the executable's folder that the program searches.
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <iconv.h>
#include <string>
#include <unistd.h>

#include "checker/checker.h"
#include "os/fake/os_fake.h"

#ifdef MIVRA_CHECK_REGEX
#include "bregexp/bregexp.h"

namespace {

uintptr_t call_bmatch(const uintptr_t *a)
{
    return static_cast<uintptr_t>(BMatch(reinterpret_cast<char *>(a[0]), reinterpret_cast<char *>(a[1]),
                                         reinterpret_cast<char *>(a[2]), reinterpret_cast<BREGEXP **>(a[3]),
                                         reinterpret_cast<char *>(a[4])));
}

uintptr_t call_bregfree(const uintptr_t *a)
{
    BRegfree(reinterpret_cast<BREGEXP *>(a[0]));
    return 0;
}

} // namespace
#endif

namespace {

// Code page 932 to UTF-8; a byte that does not convert is kept as it is.
std::string to_utf8(const char *text)
{
    iconv_t cd = iconv_open("UTF-8", "CP932");
    if (cd == reinterpret_cast<iconv_t>(-1))
        return text;
    std::string out;
    char *src = const_cast<char *>(text);
    size_t left = strlen(text);
    while (left > 0) {
        char buffer[256], *dst = buffer;
        size_t room = sizeof buffer;
        size_t r = iconv(cd, &src, &left, &dst, &room);
        out.append(buffer, static_cast<size_t>(dst - buffer));
        if (r == static_cast<size_t>(-1) && errno != E2BIG) {
            out += *src++;
            --left;
        }
    }
    iconv_close(cd);
    return out;
}

void print_line(const char *native, const char *text)
{
    std::string line = std::string(native) + to_utf8(text) + "\n";
    fwrite(line.data(), 1, line.size(), stdout);
}

void enter_data_file_folder(const char *path)
{
    std::string folder(path);
    size_t slash = folder.rfind('/');
    if (slash != std::string::npos && chdir(folder.substr(0, slash + 1).c_str()) != 0)
        perror("mivracheck");
}

} // namespace

int main(int argc, char **argv)
{
#ifdef MIVRA_CHECK_REGEX
    fake.libraries["BREGEXP.DLL"] = {{"BMatch", call_bmatch}, {"BRegfree", call_bregfree}};
#endif
    char exe[PATH_MAX];
    ssize_t length = readlink("/proc/self/exe", exe, sizeof exe - 1);
    std::string exe_dir = "./";
    if (length > 0) {
        exe[length] = '\0';
        exe_dir.assign(exe, strrchr(exe, '/') + 1);
    }
    int status = run_checker(argc, argv, exe_dir.c_str(), print_line, enter_data_file_folder);
    fflush(stdout);
    return status;
}
