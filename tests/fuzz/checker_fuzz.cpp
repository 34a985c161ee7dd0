// Checks arbitrary bytes as a data file with the report sink listening, as mivracheck does. The
// first byte chooses a popup-menu or a search-window start. Every kept warning must carry a line
// of the file, in order, and the loader must understand the same with and without a listener.
#include "checker/checker.h"
#include "datafile/load_dump.h"
#include "datafile/loader.h"
#include "datafile/utf8_file.h"
#include "fuzz_support.h"

static void collect(const char *line, void *all)
{
    *static_cast<std::string *>(all) += std::string(line) + "\n";
}

static void reset(int search_start)
{
    reset_settings();
    store.text_file_selected = 0;
    reset_fake_system();
    copy_text(settings.exe_dir, sizeof settings.exe_dir, "/dev/shm/");
    settings.search_kind = search_start;
}

static std::string understood()
{
    std::string all;
    dump_settings(collect, &all);
    dump_item_store(collect, &all);
    return all;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    // The loader reads a buffer one byte longer than the file, zero-terminated.
    std::vector<char> bytes(size);
    memcpy(bytes.data(), data + 1, size - 1);
    os_buffer file{bytes.data(), size - 1};
    reset(data[0] & 1);
    const int count = check_data_text(&file, data[0] & 1);
    const std::string checked = understood();
    reset(data[0] & 1);
    load_data_text(file); // the text as the check converted it
    require(understood() == checked); // the listener changes nothing the loader understands
    const auto lines = 1 + std::count(file.data, file.data + file.size, '\n');
    int32_t previous = 1;
    for (int i = 0; i < count && i < check_warning_capacity; ++i) {
        const check_warning &w = report.warnings[i];
        require(w.line >= previous && w.line <= lines && memchr(w.text, '\0', sizeof w.text));
        previous = w.line;
    }
    return 0;
}
