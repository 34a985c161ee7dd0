// Arbitrary bytes as a listed text file: the entry walk over exactly the bytes (converted when they
// begin with the UTF-8 mark), the menu with layout settings from the first two bytes, a chosen line,
// the search's load, listing (folded or not) and mapping, and the fold of the bytes themselves.
#include "datafile/text_file.h"
#include "datafile/utf8_file.h"
#include "fuzz_support.h"
#include "menus/text_file_menu.h"
#include "search/matching.h"
#include "search/search_state.h"
#include "search/text_file_search.h"
#include "text/fold.h"

static menu_model model;
static char last_shown[line_buffer_size];

static bool count_entry(void *context, const text_file_entry &entry)
{
    require(strlen(entry.text) <= line_limit && strlen(entry.caption) <= line_limit);
    ++*static_cast<int32_t *>(context);
    return true;
}

static void keep_line(void *, const char *line)
{
    copy_text(last_shown, sizeof last_shown, line);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    reset_settings();
    reset_fake_system();
    settings.file_menu_rows = 1 + data[0] % 100;
    settings.file_menu_columns = 1 + data[0] % 10;
    settings.file_menu_numbered = data[1] & 1;
    settings.file_caption_length = (data[1] >> 1) % 101;
    settings.show_text_default = data[1] >> 7;
    search_run.search_kind = search_substring;
    settings.kana_fold = data[0] >> 7;
    // The fold stays within fold_growth and is its own fixed point.
    std::vector<char> folded(fold_growth * size + 1), again(folded.size());
    require(fold_for_match(folded.data(), folded.size(), std::string(data + 2, data + size).c_str()) == 1);
    require(fold_for_match(again.data(), again.size(), folded.data()) == 1 &&
            strcmp(again.data(), folded.data()) == 0);

    // The bytes as the file's read gives them (a UTF-8 file converted), with no terminator after
    // them: a read past them is caught.
    const size_t length = size - 2;
    std::vector<char> text(data + 2, data + size);
    int32_t entries = 0;
    walk_text_file(text.data(), convert_utf8_text(text.data(), length), count_entry, &entries);

    store.text_file_count = 1;
    copy_text(store.text_file_path[0], 260, scratch_file("text", data + 2, length, ".txt").c_str());
    copy_text(store.text_file_name[0], 260, "lines");
    reset_menu_model(&model);
    fill_text_file_menu(&model, create_menu(&model, menu_filled, 0), 0);
    // The menu's walk and the chosen line's walk see the same entries.
    require(load_text_file_line(data[0] % (entries + 1)) == (data[0] % (entries + 1) < entries ? 1 : 0));
    if (load_text_file(1)) {
        last_shown[0] = '\0';
        require(list_text_file_lines("a", data[1] & 1, text_line_sink{keep_line, nullptr}) <= entries);
        end_search_pass();
        char out[line_buffer_size];
        line_output_text(last_shown, out, sizeof out);
    }
    free_text_file();
    return 0;
}
