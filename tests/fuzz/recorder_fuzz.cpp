// Fuzzes the reader of "hist.ini" over the bytes after the first two (validation, the history menu and
// the load built on it with the head and tail lengths the two give, the update of such an image); the
// recorder's start over any "hist.ini" (kept, or started empty with a refused file kept beside) and its
// save; `append_line` over any text file (Shift-JIS, or UTF-8 after the mark), whole or stopped part way
// (byte 0 says where).
#include <fstream>
#include <sstream>

#include "datafile/history_file.h"
#include "datafile/text_file.h"
#include "datafile/utf8_file.h"
#include "fuzz_support.h"
#include "menus/history_menu.h"

static menu_model model;

static std::string file_bytes(const std::string &path)
{
    std::ostringstream bytes;
    bytes << std::ifstream(path, std::ios::binary).rdbuf();
    return bytes.str();
}

// An exact-size copy of the bytes after the first two for the parser and the file, so that a read past
// the image is caught; whatever it was, the newest entry after an update is the text, and lies inside.
static void read_history(const uint8_t *data, size_t size)
{
    std::vector<char> image(data + 2, data + size);
    history_view view;
    parse_history(image.data(), image.size(), &view);
    reset_settings();
    copy_text(settings.history_path, sizeof settings.history_path,
              scratch_file("hist", image.data(), image.size(), ".ini").c_str());
    settings.history_head_chars = 10 + data[0] % 91;
    settings.history_tail_chars = data[1] % 101 <= 100 - settings.history_head_chars ? data[1] % 101 : 0;
    reset_menu_model(&model);
    fill_history_menu(&model, create_menu(&model, menu_lazy_history, 0));
    load_history_entry(data[1] % 102);
    image.resize(image.size() + history_header_size + 64);
    size_t used = size - 2, text_length = size % 60;
    const char *text = reinterpret_cast<const char *>(data) + (size - text_length);
    require(!record_history_text(image.data(), image.size(), &used, text, text_length) ||
            (parse_history(image.data(), used, &view) && static_cast<size_t>(view.length[0]) == text_length &&
             memcmp(view.entry[0], text, text_length) == 0 && used <= image.size()));
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size >= 2)
        read_history(data, size);
    static std::vector<char> image(history_file_limit);
    const std::string input(reinterpret_cast<const char *>(data), size);
    reset_fake_system();
    const std::string path = scratch_file("recorder", data, size);
    remove((path + ".bad").c_str());
    size_t used = 0;
    history_view view;
    const bool ours =
        size == 0 || parse_history(input.data(), size, &view) || (size >= 404 && !memcmp(data, "\0\0\0", 4));
    require(load_recorder_image(path.c_str(), image.data(), image.size(), &used) &&
            input.compare(0, used, image.data(), used) == 0 && used <= size &&
            (ours || file_bytes(path + ".bad") == input));
    normalise_history_image(image.data(), image.size(), &used);
    // What the recorder saves, its next start keeps whole.
    const size_t saved = used;
    require(os_replace_file(path.c_str(), image.data(), used) &&
            load_recorder_image(path.c_str(), image.data(), image.size(), &used) && used == saved);
    scratch_file("recorder", data, size);
    store.text_file_count = 1;
    store.text_file_selected = 0;
    strcpy(store.text_file_path[0], path.c_str());
    fake.append_stops_after = size > 0 && data[0] % 2 ? data[0] % 8 : size_t(-1);
    const std::string line = input.substr(0, 300), lead = size > 0 && input.back() != '\n' ? "\r\n" : "";
    const bool whole = append_line(line.c_str()) == 1;
    // The old bytes stay; a whole append adds CR LF where the last line had none, then a cut of the line.
    const std::string after = file_bytes(path);
    if (begins_with_utf8_mark(input.data(), size)) { // the line goes in as UTF-8
        require(whole ? after.size() > size && after.compare(0, size, input) == 0 : after == input);
        return 0;
    }
    const size_t cut = after.size() >= size + lead.size() + 2 ? after.size() - size - lead.size() - 2 : 0;
    require(after == (whole ? input + lead + line.substr(0, cut) + "\r\n" : input));
    return 0;
}
