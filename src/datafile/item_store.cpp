#include "datafile/item_store.h"

#include <cstring>

item_store store;
char folded_captions[item_capacity][fold_growth * sizeof item_entry::plain_caption];

void reset_item_store() { memset(&store, 0, sizeof store); }

void fold_item_captions()
{
    for (int32_t i = 0; i < store.item_count; ++i)
        fold_for_match(folded_captions[i], sizeof folded_captions[i], store.items[i].plain_caption);
}

const char *find_key(const char *code)
{
    for (int i = 0; i < store.key_count; ++i) {
        if (store.key_code[i][0] == code[0] && store.key_code[i][1] == code[1] && code[0] != '\0')
            return store.key_text[i];
    }
    return "";
}
