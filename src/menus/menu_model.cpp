#include "menus/menu_model.h"

#include "text/sjis.h"

void reset_menu_model(menu_model *model)
{
    model->menu_count = 0;
    model->entry_count = 0;
}

int32_t create_menu(menu_model *model, int32_t lazy, int32_t owner)
{
    if (model->menu_count >= menu_capacity)
        return -1;
    menu_node &node = model->menus[model->menu_count];
    node.first = node.last = -1;
    node.count = 0;
    node.lazy = lazy;
    node.owner = owner;
    return model->menu_count++;
}

int32_t append_menu_entry(menu_model *model, int32_t menu, int32_t id, uint32_t flags, const char *caption,
                          int32_t submenu)
{
    if (menu < 0 || menu >= model->menu_count || model->entry_count >= menu_entry_capacity)
        return -1;
    int32_t index = model->entry_count++;
    menu_entry &entry = model->entries[index];
    entry.id = id;
    entry.flags = flags;
    entry.submenu = submenu;
    entry.next = -1;
    copy_text(entry.caption, sizeof entry.caption, caption ? caption : "");
    menu_node &node = model->menus[menu];
    if (node.last >= 0)
        model->entries[node.last].next = index;
    else
        node.first = index;
    node.last = index;
    node.count++;
    return index;
}

void clear_menu(menu_model *model, int32_t menu)
{
    if (menu < 0 || menu >= model->menu_count)
        return;
    menu_node &node = model->menus[menu];
    node.first = node.last = -1;
    node.count = 0;
}

int32_t find_menu_entry(const menu_model *model, int32_t menu, int32_t id)
{
    if (menu < 0 || menu >= model->menu_count)
        return -1;
    for (int32_t e = model->menus[menu].first; e >= 0; e = model->entries[e].next) {
        if (model->entries[e].id == id)
            return e;
    }
    return -1;
}

void append_normal_start(menu_model *model, int32_t menu, int32_t separator_id, int32_t id)
{
    append_menu_entry(model, menu, separator_id, menu_separator, "", -1);
    append_menu_entry(model, menu, id, 0, "&@ 通常起動", -1);
}
