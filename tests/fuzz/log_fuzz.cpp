// Reads arbitrary bytes as the log (an exact-size copy, then the file) against captions that are empty,
// end in a lead byte or are 259 bytes long; a caption written back must come back first.
#include "datafile/log.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string path = scratch_file("log", data, size, ".ini");
    reset_settings();
    copy_text(settings.log_file_path, sizeof settings.log_file_path, path.c_str());
    settings.log_max_entries = size > 0 ? 10 + data[0] % 41 : 20;
    store.item_count = 0;
    for (const std::string &caption :
         {std::string("a"), std::string(), std::string("b\x95"), std::string(259, 'c')})
        copy_text(store.items[store.item_count++].caption, 260, caption.c_str());
    read_log_text(std::vector<char>(data, data + size).data(), size);
    read_log(0);
    require(log_entry_count <= settings.log_max_entries);
    write_log("b\x95");
    require(strcmp(log_entries[0], "b\x95") == 0);
    return 0;
}
