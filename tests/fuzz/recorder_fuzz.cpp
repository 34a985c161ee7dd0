// Fuzzes the recorder's start over any "hist.ini" (kept, or started empty with a refused file kept
// beside) and its save; `append_line` over any text file (Shift-JIS, or UTF-8 after the mark), whole or
// stopped part way (byte 0 says where).
#include <fstream>
#include <sstream>

#include "datafile/history_file.h"
#include "datafile/text_file.h"
#include "datafile/utf8_file.h"
#include "fuzz_support.h"

static std::string file_bytes(const std::string &path)
{
    std::ostringstream bytes;
    bytes << std::ifstream(path, std::ios::binary).rdbuf();
    return bytes.str();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
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
