// Fuzzes the expansion: the input is split at 0xFF bytes into an item switch text, a text, a
// clipboard text and replace rows (from, to, from, to ...); the first byte picks the modes. Runs
// the switch parse, the range cut, the text preparation with every macro pass, the preview key
// rendering, the same passes into small buffers where every cut is exercised, and the text as a
// file item (zero bytes and all) and its "%CLM%"s with history entries that hold zero bytes too.
#include "expand/expand.h"
#include "expand/history_macros.h"
#include "expand/substitute.h"
#include "fuzz_support.h"
#include "output/output_state.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    // The store and output_text are megabytes: clear only what this target fills.
    reset_settings();
    store.replace_count = 0;
    store.key_count = 0;
    output.output_text[0] = '\0';
    output.clipboard_macro_done = output.key_macro_present = output.tab_macro_present = 0;
    output.unregistered_key_flag = 0;
    reset_fake_system();
    uint8_t modes = data[0];
    settings.path_argument_found = modes & 1;
    settings.history_running = (modes >> 1) & 1;
    expansion.sendkey_file_enabled = (modes >> 2) & 1;
    settings.era_base_year = (modes & 0x80) ? 2030 : 1988;
    fake.folders[0x24] = "C:\\windows";
    fake.folders[0x05] = "C:\\users\\me\\%4y%";

    static std::vector<std::string> parts; // static for the history pick
    parts.assign(1, std::string());
    for (size_t i = 1; i < size; ++i) {
        if (data[i] == 0xFF)
            parts.emplace_back();
        else
            parts.back() += static_cast<char>(data[i]);
    }
    parts.resize(parts.size() < 3 ? 3 : parts.size());
    const std::string &switch_text = parts[0];
    const std::string &text = parts[1];
    fake.clipboard = parts[2].substr(0, 64);
    fake.clipboard_has_text = !parts[2].empty() || (modes & 8);
    // Rows that feed each other can grow output_text to its full megabyte, and a run over that is
    // slow under the sanitizers: rows are taken only while their worst growth stays below 200 KB.
    // The cut at a buffer's capacity is reached through the small buffers below instead.
    size_t worst = text.size() + 1;
    for (size_t i = 3; i + 1 < parts.size() && store.replace_count < replace_capacity; i += 2) {
        size_t factor = parts[i + 1].size() > 1 ? std::min<size_t>(parts[i + 1].size(), 259) : 1;
        worst *= factor * factor; // both passes
        if (worst > 200000)
            break;
        copy_text(store.replace_from[store.replace_count], 260, parts[i].c_str());
        copy_text(store.replace_to[store.replace_count], 260, parts[i + 1].c_str());
        ++store.replace_count;
    }
    copy_text(store.key_code[0], 16, "0d");
    copy_text(store.key_text[0], 32, "0123456789012345678901234567890");
    store.key_count = 1;
    if (modes & 0x40)
        copy_text(settings.break_mark, sizeof settings.break_mark, switch_text.substr(0, 3).c_str());

    // The passes' search must agree with find_nocase on any text, well-formed or not.
    if (!switch_text.empty())
        require(find_pattern(text.c_str(), switch_text.c_str()) ==
                find_nocase(text.c_str(), switch_text.c_str()));

    parse_item_switches(switch_text.c_str());
    copy_text(output.output_text, output_text_capacity, text.c_str());
    const size_t length = cut_to_range(output.output_text, strlen(output.output_text));
    require(length == strlen(output.output_text));
    expansion.replace_enabled = 1;
    prepare_chosen_text(7);
    require_terminated(output.output_text, sizeof output.output_text);
    apply_macros(7, 1);
    require_terminated(output.output_text, sizeof output.output_text);

    // expand_item_file from the file or the clipboard, in the preview or not; the "%CLM%"s left take
    // the parts from the fourth on, and a cancel once they run out.
    copy_text(store.items[0].text, 260, scratch_file("expand", text.data(), text.size()).c_str());
    copy_text(store.items[0].file_param, 260, switch_text.c_str());
    settings.preview_size_limit = (modes & 8) ? 8 : 0;
    expand_item_file(7, 0, (modes >> 5) & 1, (modes >> 4) & 1);
    require_terminated(output.output_text, sizeof output.output_text);
    static size_t next_pick;
    next_pick = 3;
    expand_history_macros(7, [](os_window, text_piece *entry) {
        if (next_pick >= parts.size())
            return 0;
        *entry = text_piece{parts[next_pick].data(), parts[next_pick].size()};
        return static_cast<int>(++next_pick);
    });
    require_terminated(output.output_text, sizeof output.output_text);

    // The same passes into exactly sized small buffers, so that every cut is reached.
    size_t capacity = 1 + (modes >> 4) * 7;
    std::vector<char> small(capacity);
    copy_text(small.data(), capacity, text.c_str());
    expand_date_folder_macros(small.data(), capacity);
    require_terminated(small.data(), capacity);
    copy_text(small.data(), capacity, text.c_str());
    render_key_macros(small.data(), capacity);
    require_terminated(small.data(), capacity);
    return 0;
}
