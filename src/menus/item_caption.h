// The caption rule of items: what the menus and the search window's list show for an item.
// Owns: the rule (a file item shown by its file, a text shown cut to `text_caption_length`, the
// caption otherwise) in the four forms its readers use. Reads the item store and the settings;
// writes only the caller's buffer.
#pragma once

#include <cstdint>

enum caption_form {
    caption_main_menu,   // "name.ext > parameter", the caption with its "&" marks
    caption_recent_menu, // "name.ext >parameter", the caption with its "&" marks
    caption_search_hit,  // "name >parameter", the plain caption
    caption_listing,     // "name.ext >parameter", the plain caption
};

// The caption of item `index` in `form` (out: 260 bytes). A file item shown by its file reads its
// own file caption when it has one.
void item_caption(int32_t index, caption_form form, char *out);
