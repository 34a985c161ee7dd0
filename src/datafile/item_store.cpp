#include "datafile/item_store.h"

#include <cstring>

item_store store;

void reset_item_store() { memset(&store, 0, sizeof store); }

const char *find_key(const char *code)
{
    for (int i = 0; i < store.key_count; ++i) {
        if (store.key_code[i][0] == code[0] && store.key_code[i][1] == code[1] && code[0] != '\0')
            return store.key_text[i];
    }
    return "";
}
