// Fuzzes the reader of "hist.ini": validation of any bytes, the history menu and the load built on
// it (with any head and tail lengths), and the recorder's update of such an image.
#include "datafile/history_file.h"
#include "fuzz_support.h"
#include "menus/history_menu.h"

static menu_model model;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    // An exact-size copy for the parser and the file, so that a read past the image is caught.
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

    // Whatever the image was, the newest entry afterwards is the text, and it lies inside.
    image.resize(image.size() + history_header_size + 64);
    size_t used = size - 2, text_length = size % 60;
    const char *text = reinterpret_cast<const char *>(data) + (size - text_length);
    require(!record_history_text(image.data(), image.size(), &used, text, text_length) ||
            (parse_history(image.data(), used, &view) && static_cast<size_t>(view.length[0]) == text_length &&
             memcmp(view.entry[0], text, text_length) == 0 && used <= image.size()));
    return 0;
}
