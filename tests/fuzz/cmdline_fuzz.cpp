// Fuzzes the command line: the path-argument scan and every switch, with the values that follow.
#include "cmdline/cmdline.h"
#include "fuzz_support.h"
#include "target/target.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    reset_settings();
    reset_target_state();
    reset_fake_system();
    copy_text(settings.exe_dir, sizeof settings.exe_dir, "/tmp/");
    copy_text(settings.data_file_name, sizeof settings.data_file_name, "Mivra.ini");
    settings.history_running = data[0] & 1;
    settings.mouse_present = (data[0] >> 1) & 1;
    std::vector<char> line(data + 1, data + size);
    line.push_back('\0');
    find_path_argument(line.data());
    parse_command_line(line.data());
    // Every text field the command line fills must stay terminated inside its buffer.
    require_terminated(settings.path_argument, sizeof settings.path_argument);
    require_terminated(settings.data_file_request, sizeof settings.data_file_request);
    require_terminated(settings.window_select_name, sizeof settings.window_select_name);
    require_terminated(settings.initial_search_word, sizeof settings.initial_search_word);
    require_terminated(settings.text_file_search_name, sizeof settings.text_file_search_name);
    return 0;
}
