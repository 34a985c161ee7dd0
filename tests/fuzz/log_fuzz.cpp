// Reads arbitrary bytes as the log file against a few items (one caption empty, one ending in a lead
// byte, one of 259 bytes), then writes the log back and reads it again.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "datafile/item_store.h"
#include "datafile/log.h"
#include "datafile/settings.h"
#include "os/fake/os_fake.h"
#include "text/sjis.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static std::string path;
    if (path.empty()) {
        char pattern[] = "/tmp/mivra_log_fuzz_XXXXXX";
        path = std::string(mkdtemp(pattern) ? pattern : "/tmp") + "/log.ini";
        const std::string captions[] = {"a", "", "b\x95", std::string(259, 'c'), "a"};
        for (const std::string &caption : captions)
            copy_text(store.items[store.item_count++].caption, 260, caption.c_str());
    }
    FILE *f = fopen(path.c_str(), "wb");
    if (!f || fwrite(data, 1, size, f) != size || fclose(f) != 0)
        abort();
    reset_settings();
    copy_text(settings.log_file_path, sizeof settings.log_file_path, path.c_str());
    settings.log_max_entries = size > 0 ? 10 + data[0] % 41 : 20;
    read_log(0);
    if (settings.log_entry_count < 0 || settings.log_entry_count > settings.log_max_entries)
        abort();
    // The chosen caption comes back first.
    char chosen[260];
    copy_text(chosen, sizeof chosen,
              settings.log_entry_count > 0 ? log_entries[settings.log_entry_count - 1] : "b\x95");
    write_log(chosen);
    if (settings.log_entry_count < 1 || strcmp(log_entries[0], chosen) != 0)
        abort();
    return 0;
}
