// Fuzzes the recorder's start over any "hist.ini" (kept, started empty, or copied beside as
// "hist.ini.bad"), its save and the file read back; and `append_line` over any text file, whole and
// with a write that stops part way (byte 0 says where), which must leave the file as it was.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "datafile/history_file.h"
#include "datafile/item_store.h"
#include "datafile/text_file.h"
#include "os/fake/os_fake.h"

static std::string read_back(const std::string &path)
{
    os_buffer file;
    if (!os_read_whole_file(path.c_str(), 0, history_file_limit, &file))
        return "<unreadable>";
    std::string bytes(file.data, file.size);
    os_free_buffer(&file);
    return bytes;
}

static void write_bytes(const std::string &path, const uint8_t *data, size_t size)
{
    FILE *f = fopen(path.c_str(), "wb");
    if (!f || fwrite(data, 1, size, f) != size || fclose(f) != 0)
        abort();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const std::string dir = "/dev/shm/mivra_recorder_fuzz_" + std::to_string(getpid());
    static const std::string history = dir + ".ini", bad = history + ".bad", text = dir + ".txt";
    static std::vector<char> image(history_file_limit);
    const std::string input(reinterpret_cast<const char *>(data), size);
    reset_fake_system();

    remove(bad.c_str());
    write_bytes(history, data, size);
    size_t used = 0;
    if (!load_recorder_image(history.c_str(), image.data(), image.size(), &used) || used > size ||
        memcmp(image.data(), data, used) != 0)
        abort();
    // Started empty: a history of ours that holds nothing, or the file was kept beside.
    const bool empty_of_ours = size >= history_header_size && memcmp(data, "\0\0\0\0", 4) == 0;
    if (used == 0 && size > 0 && !empty_of_ours && read_back(bad) != input)
        abort();
    normalise_history_image(image.data(), image.size(), &used);
    record_history_text(image.data(), image.size(), &used, "new", 3);
    if (!os_replace_file(history.c_str(), image.data(), used))
        abort();
    os_buffer file;
    history_view view;
    if (!read_history_file(history.c_str(), &file, &view) || view.length[0] != 3 ||
        memcmp(view.entry[0], "new", 3) != 0)
        abort();
    os_free_buffer(&file);

    write_bytes(text, data, size);
    store.text_file_count = 1;
    store.text_file_selected = 0;
    strcpy(store.text_file_path[0], text.c_str());
    fake.append_stops_after = size > 0 && data[0] % 2 ? data[0] % 8 : static_cast<size_t>(-1);
    const std::string line(input.substr(0, size < 300 ? size : 300));
    const bool whole = append_line(line.c_str()) == 1;
    // The old bytes stay; a whole append adds CR LF when the last line had none, then a prefix of
    // the text and CR LF. A failed one adds nothing.
    const std::string after = read_back(text);
    const size_t lead = (size > 0 && input.back() != '\n') ? 2 : 0;
    if (after.compare(0, size, input) != 0 || (!whole && after.size() != size))
        abort();
    if (whole) {
        const std::string added = after.substr(size + lead);
        if ((lead && after.compare(size, 2, "\r\n") != 0) || added.size() < 2 ||
            added.compare(added.size() - 2, 2, "\r\n") != 0 ||
            line.compare(0, added.size() - 2, added, 0, added.size() - 2) != 0)
            abort();
    }
    return 0;
}
