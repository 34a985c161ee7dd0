#include "os/fake/os_fake.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iconv.h>
#include <sys/stat.h>
#include <unistd.h>

#include "text/sjis.h"

fake_system fake;

void reset_fake_system() { fake = fake_system(); }

std::string fake_events()
{
    std::string all;
    for (size_t i = 0; i < fake.events.size(); ++i) {
        if (i > 0)
            all += '\n';
        all += fake.events[i];
    }
    return all;
}

static void log_event(const std::string &line) { fake.events.push_back(line); }

// Host paths are POSIX paths; a backslash is taken as a separator so that Windows-style joins
// ("dir\name") made by the portable code work on real files here.
static std::string host_path(const char *path)
{
    std::string p;
    for (const char *c = path; *c != '\0'; c += char_width(c)) {
        if (char_width(c) == 2)
            p.append(c, 2);
        else
            p += (*c == '\\') ? '/' : *c;
    }
    return p;
}

// Opens a file to read as the system would: the fake's unreadable file and folders do not open.
static FILE *open_to_read(const char *path, int *status)
{
    const std::string p = host_path(path);
    struct stat st;
    if (stat(p.c_str(), &st) != 0) {
        *status = os_read_missing;
        return nullptr;
    }
    FILE *f = (p == host_path(fake.unreadable_file.c_str()) || S_ISDIR(st.st_mode)) ? nullptr
                                                                                    : fopen(p.c_str(), "rb");
    *status = f ? os_read_ok : os_read_open_failed;
    return f;
}

int os_read_whole_file(const char *path, int create_if_missing, size_t limit, os_buffer *out)
{
    out->data = nullptr;
    out->size = 0;
    if (create_if_missing && !os_file_exists(path)) {
        FILE *made = fopen(host_path(path).c_str(), "wb");
        if (made)
            fclose(made);
    }
    FILE *f = open_to_read(path, &out->status);
    if (!f)
        return 0;
    // The size only sizes the buffer; at most limit + 1 bytes are read, and a file larger than the
    // limit is refused.
    struct stat st;
    const size_t known = fstat(fileno(f), &st) == 0 ? static_cast<size_t>(st.st_size) : 0;
    const size_t room = (known < limit ? known : limit) + 1;
    char *data = static_cast<char *>(malloc(room + 1));
    const size_t got = data ? fread(data, 1, room, f) : 0;
    const bool failed = !data || ferror(f) != 0;
    fclose(f);
    out->status = failed ? os_read_failed : got > limit ? os_read_too_large : got != known ? os_read_failed : os_read_ok;
    if (out->status != os_read_ok) {
        free(data);
        return 0;
    }
    data[got] = '\0';
    out->data = data;
    out->size = got;
    return 1;
}

void os_free_buffer(os_buffer *buffer)
{
    free(buffer->data);
    buffer->data = nullptr;
    buffer->size = 0;
}

int os_read_file_into(const char *path, char *buffer, size_t capacity, size_t *file_size)
{
    int status = os_read_ok;
    FILE *f = open_to_read(path, &status);
    if (!f)
        return status;
    struct stat st;
    if (fstat(fileno(f), &st) != 0) {
        fclose(f);
        return os_read_failed;
    }
    size_t size = static_cast<size_t>(st.st_size);
    if (file_size)
        *file_size = size;
    if (size + 1 > capacity) {
        fclose(f);
        return os_read_too_large;
    }
    size_t got = fread(buffer, 1, size, f);
    fclose(f);
    buffer[got] = '\0';
    return got == size ? os_read_ok : os_read_failed;
}

int os_file_exists(const char *path)
{
    struct stat st;
    return stat(host_path(path).c_str(), &st) == 0 ? 1 : 0;
}

int os_is_directory(const char *path)
{
    struct stat st;
    return (stat(host_path(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode)) ? 1 : 0;
}

size_t os_full_path(const char *name, char *out)
{
    std::string full;
    if (name[0] == '/' || name[0] == '\\') {
        full = name;
    } else {
        char cwd[4096];
        if (!getcwd(cwd, sizeof cwd))
            return 0;
        full = std::string(cwd) + "/" + name;
    }
    if (full.size() >= path_capacity)
        return full.size() + 1;
    copy_text(out, path_capacity, full.c_str());
    return full.size();
}

size_t os_search_path(const char *path_list, const char *name, char *out)
{
    std::string list = path_list ? path_list : "";
    size_t start = 0;
    while (start <= list.size()) {
        size_t end = list.find(';', start);
        if (end == std::string::npos)
            end = list.size();
        std::string dir = list.substr(start, end - start);
        if (!dir.empty()) {
            std::string candidate = dir + "/" + name;
            if (os_file_exists(candidate.c_str())) {
                if (candidate.size() >= path_capacity)
                    return candidate.size() + 1;
                copy_text(out, path_capacity, candidate.c_str());
                return candidate.size();
            }
        }
        start = end + 1;
    }
    return 0;
}

int os_replace_file(const char *path, const char *data, size_t size)
{
    const std::string target = host_path(path);
    const std::string scratch = target + ".new";
    if (fake.file_writes_fail)
        return 0;
    FILE *f = fopen(scratch.c_str(), "wb");
    if (!f)
        return 0;
    bool ok = fwrite(data, 1, size, f) == size;
    ok = (fflush(f) == 0) && ok;
    ok = (fclose(f) == 0) && ok;
    if (ok && rename(scratch.c_str(), target.c_str()) == 0)
        return 1;
    remove(scratch.c_str());
    return 0;
}

int os_append_existing_file(const char *path, const char *data, size_t size, const char *line_break)
{
    if (fake.file_writes_fail)
        return 0;
    FILE *f = fopen(host_path(path).c_str(), "r+b");
    if (!f)
        return 0;
    bool ok = fseek(f, 0, SEEK_END) == 0;
    const long end = ftell(f);
    int last = '\n';
    if (ok && end > 0)
        ok = fseek(f, end - 1, SEEK_SET) == 0 && (last = fgetc(f)) != EOF;
    ok = ok && end >= 0 && fseek(f, end, SEEK_SET) == 0;
    std::string all = (line_break && last != '\n') ? line_break : "";
    all.append(data, size);
    const size_t put = all.size() < fake.append_stops_after ? all.size() : fake.append_stops_after;
    const bool wrote = ok && fwrite(all.data(), 1, put, f) == put && put == all.size() && fflush(f) == 0;
    if (ok && !wrote) {
        fflush(f);
        [[maybe_unused]] const int cut = ftruncate(fileno(f), end);
    }
    fclose(f);
    return wrote ? 1 : 0;
}

int os_copy_file(const char *from, const char *to)
{
    os_buffer file;
    if (!os_read_whole_file(from, 0, static_cast<size_t>(-2), &file))
        return 0;
    FILE *f = fopen(host_path(to).c_str(), "wb");
    bool ok = f && fwrite(file.data, 1, file.size, f) == file.size;
    ok = f && fclose(f) == 0 && ok;
    os_free_buffer(&file);
    return ok ? 1 : 0;
}

size_t os_read_file_start(const char *path, char *buffer, size_t count)
{
    int status = os_read_ok;
    FILE *f = open_to_read(path, &status);
    if (!f)
        return 0;
    const size_t got = fread(buffer, 1, count, f);
    fclose(f);
    return got;
}

// One conversion of glibc's iconv; false when a byte does not convert or the result does not fit.
static bool convert_with(iconv_t cd, const char *in, size_t size, char *out, size_t capacity, size_t *written)
{
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char *src = const_cast<char *>(in), *dst = out;
    size_t left = size, room = capacity;
    const bool ok = iconv(cd, &src, &left, &dst, &room) != static_cast<size_t>(-1);
    *written = capacity - room;
    return ok;
}

static iconv_t utf8_to_sjis_cd()
{
    static iconv_t cd = iconv_open("CP932", "UTF-8");
    return cd;
}

static iconv_t sjis_to_utf8_cd()
{
    static iconv_t cd = iconv_open("UTF-8", "CP932");
    return cd;
}

// Character by character: a character maps only when it comes back the same, as Windows'
// WC_NO_BEST_FIT_CHARS allows (glibc also maps look-alikes one way, such as U+301C to 0x8160).
size_t os_utf8_to_sjis(const char *utf8, size_t size, char *out, size_t capacity, int *replaced)
{
    size_t written = 0;
    for (size_t at = 0; at < size;) {
        const unsigned char lead = static_cast<unsigned char>(utf8[at]);
        size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        length = length < size - at ? length : size - at;
        char sjis[8], back[8];
        size_t sjis_size = 0, back_size = 0;
        const bool maps = convert_with(utf8_to_sjis_cd(), utf8 + at, length, sjis, sizeof sjis, &sjis_size) &&
                          convert_with(sjis_to_utf8_cd(), sjis, sjis_size, back, sizeof back, &back_size) &&
                          back_size == length && memcmp(back, utf8 + at, length) == 0;
        if (!maps) {
            sjis[0] = '?';
            sjis_size = 1;
            *replaced = 1;
        }
        const size_t take = sjis_size < capacity - written ? sjis_size : capacity - written;
        memmove(out + written, sjis, take);
        written += take;
        at += length;
    }
    return written;
}

int os_sjis_to_utf8(const char *text, char *out, size_t capacity)
{
    size_t used = 0;
    for (const char *c = text; *c != '\0'; c += char_width(c)) {
        char utf8[8];
        size_t size = 0;
        if (!convert_with(sjis_to_utf8_cd(), c, char_width(c), utf8, sizeof utf8, &size)) {
            utf8[0] = '?';
            size = 1;
        }
        if (used + size + 1 > capacity) {
            out[used] = '\0';
            return 0;
        }
        memcpy(out + used, utf8, size);
        used += size;
    }
    out[used] = '\0';
    return 1;
}

int os_clipboard_get_text(os_window, char *buffer, size_t capacity, size_t *length)
{
    if (fake.clipboard_fails || !fake.clipboard_has_text)
        return 0;
    copy_text(buffer, capacity, fake.clipboard.c_str());
    if (length)
        *length = fake.clipboard.size();
    return 1;
}

int os_clipboard_set_text(os_window, const char *text, int delivery_only)
{
    if (fake.clipboard_fails)
        return 0;
    fake.clipboard = text;
    fake.clipboard_has_text = true;
    log_event(std::string(delivery_only ? "clip* " : "clip ") + text);
    return 1;
}

void os_local_time(os_time *out) { *out = fake.now; }

uint32_t os_ticks() { return fake.ticks; }

int os_special_folder(os_window, int csidl, char *out)
{
    auto it = fake.folders.find(csidl);
    if (it == fake.folders.end())
        return 0;
    copy_text(out, path_capacity, it->second.c_str());
    return 1;
}

void os_key_event(int virtual_key, int key_up, int extended)
{
    char line[40];
    snprintf(line, sizeof line, "key %02X %s%s", virtual_key & 0xFF, key_up ? "up" : "down", extended ? " ext" : "");
    log_event(line);
}

void os_watch_key(os_window window, int key, os_key_watch *watch)
{
    *watch = os_key_watch{static_cast<unsigned long>(window), key, 0, window != 0};
}

void os_wait_key_taken(os_key_watch *watch, int limit_ms)
{
    if (!watch->attached)
        return;
    char line[40];
    snprintf(line, sizeof line, "taken %02X %d", watch->key & 0xFF, limit_ms);
    log_event(line);
    watch->attached = 0;
}

void os_sleep(int milliseconds) { log_event("sleep " + std::to_string(milliseconds)); }

void os_beep(unsigned type) { log_event("beep " + std::to_string(type)); }

void os_error_box(os_window, const char *text) { log_event(std::string("error ") + text); }

void os_shell_open(const char *file, const char *params, const char *dir)
{
    log_event(std::string("shell ") + file + "|" + (params ? params : "") + "|" + (dir ? dir : ""));
}

void os_switch_foreground(os_window window) { log_event("foreground " + std::to_string(window)); }

void os_read_target_focus(os_window, os_window target, os_window *focus, os_point *caret,
                          uint32_t *selection_start, uint32_t *selection_end)
{
    log_event("capture " + std::to_string(target));
    *focus = fake.focus_control;
    *caret = fake.caret;
    *selection_start = fake.selection_start;
    *selection_end = fake.selection_end;
}

void os_restore_focus(os_window, os_window control)
{
    if (control)
        log_event("focus " + std::to_string(control));
}

int os_window_of(os_window window, os_window top)
{
    if (window == 0 || top == 0)
        return 0;
    auto found = fake.window_parents.find(window);
    return window == top || (found != fake.window_parents.end() && found->second == top) ? 1 : 0;
}

void os_read_selection(os_window control, uint32_t *start, uint32_t *end)
{
    log_event("getsel " + std::to_string(control));
    *start = fake.selection_start;
    *end = fake.selection_end;
}

void os_set_selection(os_window control, uint32_t start, uint32_t end)
{
    log_event("setsel " + std::to_string(control) + " " + std::to_string(start) + " " + std::to_string(end));
}

void os_replace_selection(os_window, const char *text) { log_event(std::string("replace ") + text); }

int os_window_rect(os_window window, os_rect *out)
{
    auto it = fake.window_rects.find(window);
    if (it == fake.window_rects.end())
        return 0;
    *out = it->second;
    return 1;
}

void os_cursor_pos(os_point *out) { *out = fake.cursor; }

// Distance from a point to a rectangle, squared; 0 inside it.
static int64_t distance_to(const os_rect &r, os_point p)
{
    const int64_t dx = p.x < r.left ? r.left - p.x : p.x >= r.right ? p.x - r.right + 1 : 0;
    const int64_t dy = p.y < r.top ? r.top - p.y : p.y >= r.bottom ? p.y - r.bottom + 1 : 0;
    return dx * dx + dy * dy;
}

int os_monitor_at(os_point point, os_monitor *out)
{
    if (fake.monitors.empty())
        return 0;
    const os_monitor *nearest = &fake.monitors[0];
    for (const os_monitor &m : fake.monitors)
        if (distance_to(m.full, point) < distance_to(nearest->full, point))
            nearest = &m;
    *out = *nearest;
    return 1;
}

int os_monitor_of_window(os_window window, os_monitor *out)
{
    os_rect r;
    if (!os_window_rect(window, &r))
        return 0;
    return os_monitor_at(os_point{r.left + (r.right - r.left) / 2, r.top + (r.bottom - r.top) / 2}, out);
}

int os_arm_timer(os_window, int id)
{
    if (fake.timer_fails)
        return 0;
    log_event("timer " + std::to_string(id));
    return 1;
}

void os_close_window(os_window) { log_event("close"); }

// A library handle is the address of its entry in fake.libraries.
os_library os_load_library(const char *name)
{
    auto it = fake.libraries.find(name);
    if (it == fake.libraries.end())
        return 0;
    log_event(std::string("load ") + name);
    return reinterpret_cast<os_library>(&*it);
}

void *os_library_function(os_library library, const char *name)
{
    if (!library)
        return nullptr;
    auto *entry = reinterpret_cast<std::pair<const std::string, std::map<std::string, fake_system::library_function>> *>(library);
    auto it = entry->second.find(name);
    return it == entry->second.end() ? nullptr : reinterpret_cast<void *>(it->second);
}

void os_free_library(os_library library)
{
    if (!library)
        return;
    auto *entry = reinterpret_cast<std::pair<const std::string, std::map<std::string, fake_system::library_function>> *>(library);
    log_event("free " + entry->first);
}

uintptr_t os_call_library(void *function, int, const uintptr_t *args)
{
    return reinterpret_cast<fake_system::library_function>(function)(args);
}
