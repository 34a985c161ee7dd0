#include "menus/item_caption.h"

#include <cstring>

#include "datafile/item_store.h"
#include "datafile/settings.h"
#include "text/sjis.h"

namespace {

struct form_rule {
    const char *file_separator; // between a file item's name and its parameter
    bool with_extension;
    bool plain; // the caption without its "&" marks
};

const form_rule form_rules[] = {
    {" > ", true, false}, // caption_main_menu
    {" >", true, false},  // caption_recent_menu
    {" >", false, true},  // caption_search_hit
    {" >", true, true},   // caption_listing
};

} // namespace

void item_caption(int32_t index, caption_form form, char *out)
{
    const item_entry &item = store.items[index];
    const form_rule &rule = form_rules[form];
    const bool shows_file =
        item.is_file == 1 && (item.show_text == 1 || strcmp(item.plain_caption, item.text) == 0);
    if (shows_file && item.file_caption[0] != '\0') {
        copy_text(out, path_capacity, item.file_caption);
    } else if (shows_file) {
        char ext[path_capacity];
        split_path(item.text, nullptr, nullptr, out, ext);
        if (rule.with_extension)
            append_text(out, path_capacity, ext);
        append_text(out, path_capacity, rule.file_separator);
        append_text(out, path_capacity, item.file_param);
    } else if (item.show_text == 1 && settings.text_caption_length > 0) {
        // Cut by bytes, as the menu and the list show it: a double-byte character at the cut is split.
        copy_text_n(out, path_capacity, item.text, static_cast<size_t>(settings.text_caption_length));
    } else if (item.show_text == 1) {
        copy_text(out, path_capacity, item.text);
    } else {
        // A file item shown by its caption always reads the plain one.
        copy_text(out, path_capacity, rule.plain || item.is_file == 1 ? item.plain_caption : item.caption);
    }
}
