// Loads arbitrary bytes as the data file, from a heap buffer of exactly their size with no terminator
// after it, so that a read one byte past the data is an AddressSanitizer finding. The first byte
// chooses the start modes that change what the loader reads: search window or popup menu, mouse,
// text-file search, output mode, recorder. The load report stays off (the checker target runs it).
#include <sys/stat.h>

#include "datafile/loader.h"
#include "datafile/utf8_file.h"
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

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    static const std::string dir = fuzz_dir();
    const std::string data_file = dir + "fuzz.ini";
    os_buffer file;
    file.size = size - 1;
    file.data = static_cast<char *>(malloc(file.size)); // AddressSanitizer ends the run when it fails
    memcpy(file.data, data + 1, file.size);

    // The loader empties every table it fills; clearing the 5 MB store on each run would only slow
    // the fuzzer down.
    reset_settings();
    store.text_file_selected = 0;
    reset_fake_system();
    uint8_t modes = data[0];
    copy_text(settings.exe_dir, sizeof settings.exe_dir, dir.c_str());
    copy_text(settings.data_file_name, sizeof settings.data_file_name, "fuzz.ini");
    copy_text(settings.data_file_path, sizeof settings.data_file_path, data_file.c_str());
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

    file.size = convert_utf8_text(file.data, file.size);
    load_data_text(file);
    free(file.data);
    require(store.item_count >= 0 && store.item_count <= item_capacity &&
            store.text_file_count <= text_file_capacity && store.replace_count <= replace_capacity &&
            store.key_count <= key_capacity && store.title_count <= title_capacity &&
            settings.paste_key_count <= paste_key_capacity && settings.select_count <= select_name_capacity &&
            settings.except_count <= select_name_capacity);
    return 0;
}
