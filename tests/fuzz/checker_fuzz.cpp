// Checks arbitrary bytes as a data file with the report sink listening, as mivracheck does, then loads
// the text the check converted once more without a listener, from a heap block of exactly its size with
// no terminator after it, so that a read one byte past the data is an AddressSanitizer finding. The
// first byte chooses the start modes that change what the loader reads: search window or popup menu,
// mouse, text-file search, output mode, recorder. Both loads must understand the same, every kept
// warning carry a line of the file, in order, and no table count pass its capacity.
#include <sys/stat.h>

#include "checker/checker.h"
#include "datafile/load_dump.h"
#include "datafile/loader.h"
#include "fuzz_support.h"

// The executable's folder, named in full by the seeds, with the files they name (会議.txt and
// progメモ in Shift-JIS; missing.txt stays missing). Runs side by side write the same files.
static std::string fuzz_dir()
{
    static const std::string dir = "/dev/shm/mivra_datafile_fuzz/";
    for (const char *folder : {"", "tools", "folder", "dict"})
        mkdir((dir + folder).c_str(), 0700);
    for (const char *name :
         {"a.txt", "hist.exe", "path.txt", "notes.txt", "\x89\xEF\x8B\x63.txt", "plain.log.txt", "memo.txt",
          "first.txt", "second.txt", "prog\x83\x81\x83\x82", "dict/migemo-dict"})
        os_replace_file((dir + name).c_str(), "path=/tmp;/usr\r\n", 16);
    return dir;
}

static void collect(const char *line, void *all)
{
    *static_cast<std::string *>(all) += std::string(line) + "\n";
}

// The loader empties every table it fills; clearing the 5 MB store on each run would only slow the
// fuzzer down.
static void reset(const std::string &dir, uint8_t modes)
{
    reset_settings();
    store.text_file_selected = 0;
    reset_fake_system();
    copy_text(settings.exe_dir, sizeof settings.exe_dir, dir.c_str());
    copy_text(settings.data_file_name, sizeof settings.data_file_name, "fuzz.ini");
    copy_text(settings.data_file_path, sizeof settings.data_file_path, (dir + "fuzz.ini").c_str());
    copy_text(settings.recorder_path, sizeof settings.recorder_path, (dir + "hist.exe").c_str());
    copy_text(settings.log_file_path, sizeof settings.log_file_path, (dir + "log.ini").c_str());
    copy_text(settings.path_argument, sizeof settings.path_argument, (dir + "a.txt").c_str());
    copy_text(settings.text_file_search_name, sizeof settings.text_file_search_name, "a");
    settings.search_kind = modes % 3;
    settings.mouse_present = (modes >> 2) & 1;
    settings.text_file_search = (modes >> 3) & 3;
    settings.output_mode = (modes & 0x20) ? 2 : 1;
    settings.history_running = (modes >> 6) & 1;
    settings.window_select_mode = (modes & 0x80) ? 7 : 0;
    settings.screen_width = 1280;
    settings.screen_height = 984;
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
    static const std::string dir = fuzz_dir();
    // mivracheck reads the file into a buffer one byte longer, zero-terminated.
    std::vector<char> bytes(size);
    memcpy(bytes.data(), data + 1, size - 1);
    os_buffer text{bytes.data(), size - 1};
    reset(dir, data[0]);
    const int count = check_data_text(&text, 0);
    const std::string checked = understood();
    os_buffer file{static_cast<char *>(malloc(text.size)), text.size}; // ends the run when it fails
    memcpy(file.data, text.data, text.size);
    reset(dir, data[0]);
    load_data_text(file);
    free(file.data);
    require(understood() == checked); // the listener changes nothing the loader understands
    require(store.item_count >= 0 && store.item_count <= item_capacity &&
            store.text_file_count <= text_file_capacity && store.replace_count <= replace_capacity &&
            store.key_count <= key_capacity && store.title_count <= title_capacity &&
            settings.paste_key_count <= paste_key_capacity && settings.select_count <= select_name_capacity &&
            settings.except_count <= select_name_capacity);
    const auto lines = 1 + std::count(text.data, text.data + text.size, '\n');
    int32_t previous = 1;
    for (int i = 0; i < count && i < check_warning_capacity; ++i) {
        const check_warning &w = report.warnings[i];
        require(w.line >= previous && w.line <= lines && memchr(w.text, '\0', sizeof w.text));
        previous = w.line;
    }
    return 0;
}
