// Fuzzes the reader of "hist.ini": validation of any bytes, the history menu built from them (with
// any head and tail lengths), and the recorder's update of such an image.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>
#include <vector>

#include "datafile/history_file.h"
#include "datafile/settings.h"
#include "menus/history_menu.h"
#include "os/fake/os_fake.h"

static menu_model model;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    // An exact-size copy, so that any read past the image is caught.
    std::vector<char> image(data + 2, data + size);
    history_view view;
    parse_history(image.data(), image.size(), &view);
    for (int32_t h = 0; h < view.count; ++h)
        if (view.entry[h] < image.data() || view.entry[h] + view.length[h] > image.data() + image.size())
            abort();

    reset_settings();
    reset_fake_system();
    snprintf(settings.history_path, sizeof settings.history_path, "/tmp/mivra_history_fuzz_%d.ini",
             static_cast<int>(getpid()));
    FILE *file = fopen(settings.history_path, "wb");
    if (!file)
        return 0;
    fwrite(image.data(), 1, image.size(), file);
    fclose(file);
    settings.history_head_chars = 10 + data[0] % 91;
    settings.history_tail_chars = data[1] % 101 <= 100 - settings.history_head_chars ? data[1] % 101 : 0;
    reset_menu_model(&model);
    fill_history_menu(&model, create_menu(&model, menu_lazy_history, 0));
    load_history_entry(data[1] % 102);

    // The recorder's update: the newest entry afterwards is the text, whatever the image was.
    std::vector<char> updated(image);
    updated.resize(image.size() + history_header_size + 64);
    size_t used = image.size();
    const size_t text_length = size % 60;
    const char *text = reinterpret_cast<const char *>(data) + (size - text_length);
    if (record_history_text(updated.data(), updated.size(), &used, text, text_length) &&
        (!parse_history(updated.data(), used, &view) || static_cast<size_t>(view.length[0]) != text_length ||
         memcmp(view.entry[0], text, text_length) != 0))
        abort();
    remove(settings.history_path);
    return 0;
}
