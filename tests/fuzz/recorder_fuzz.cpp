// Fuzzes the recorder's start over any "hist.ini" (kept, or started empty with a refused file kept
// beside), its update by a text and its save; and `append_line` over any text file, whole or with
// a write that stops part way (byte 0 says where), which must leave the old bytes as they were.
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "datafile/history_file.h"
#include "datafile/item_store.h"
#include "datafile/text_file.h"
#include "os/fake/os_fake.h"

static std::string file_bytes(const std::string &path)
{
    std::ostringstream bytes;
    bytes << std::ifstream(path, std::ios::binary).rdbuf();
    return bytes.str();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const std::string path = "/dev/shm/mivra_recorder_fuzz_" + std::to_string(getpid());
    static std::vector<char> image(history_file_limit);
    const std::string input(reinterpret_cast<const char *>(data), size),
        text = input.substr(size - size % 60);
    reset_fake_system();
    remove((path + ".bad").c_str());
    std::ofstream(path, std::ios::binary) << input;
    size_t used = 0;
    history_view view;
    const bool ours = size == 0 || parse_history(input.data(), size, &view) ||
                      (size >= history_header_size && memcmp(data, "\0\0\0\0", 4) == 0);
    if (!load_recorder_image(path.c_str(), image.data(), image.size(), &used) || used > size ||
        input.compare(0, used, image.data(), used) != 0 || (!ours && file_bytes(path + ".bad") != input))
        abort();
    // Whatever was kept, the newest entry saved is the text, and it lies inside.
    normalise_history_image(image.data(), image.size(), &used);
    const size_t capacity = std::min(image.size(), used + text.size() + size % 7);
    if (record_history_text(image.data(), capacity, &used, text.data(), text.size()) &&
        (used > capacity || !os_replace_file(path.c_str(), image.data(), used) ||
         !parse_history(file_bytes(path).data(), used, &view) ||
         text.compare(0, text.size(), view.entry[0], view.length[0]) != 0))
        abort();

    std::ofstream(path, std::ios::binary) << input;
    store.text_file_count = 1;
    store.text_file_selected = 0;
    strcpy(store.text_file_path[0], path.c_str());
    fake.append_stops_after = size > 0 && data[0] % 2 ? data[0] % 8 : static_cast<size_t>(-1);
    const std::string line = input.substr(0, 300);
    const bool whole = append_line(line.c_str()) == 1;
    const std::string after = file_bytes(path), added = after.substr(after.size() < size ? 0 : size);
    const size_t lead = whole && size > 0 && input.back() != '\n' ? 2 : 0;
    if (after.compare(0, size, input) != 0 || (!whole && after.size() != size) ||
        (whole && (added.size() < lead + 2 || added.compare(0, lead, "\r\n", lead) != 0 ||
                   added.compare(added.size() - 2, 2, "\r\n") != 0 ||
                   line.compare(0, added.size() - lead - 2, added, lead, added.size() - lead - 2) != 0)))
        abort();
    return 0;
}
