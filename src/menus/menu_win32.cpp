// Popup menus from menu models, and the menu messages of the main window.
#include "menus/menu_win32.h"

#include "target/target.h"
#include "datafile/item_store.h"
#include "menus/main_menu.h"

// The main menu's model lives while the menu is tracked; a lazily filled submenu gets a model of its
// own for the moment it is filled.
static menu_model main_model;
static menu_model popup_model;

static HMENU last_menu;
static int last_menu_item;
static int selected_by_mouse;

static void press_down_key()
{
    keybd_event(VK_DOWN, 0, 0, 0);
    keybd_event(VK_DOWN, 0, KEYEVENTF_KEYUP, 0);
}

void realise_menu(HMENU target_menu, const menu_model *model, int32_t menu)
{
    for (int32_t e = model->menus[menu].first; e >= 0; e = model->entries[e].next) {
        const menu_entry &entry = model->entries[e];
        MENUITEMINFOA info;
        ZeroMemory(&info, sizeof info);
        info.cbSize = sizeof info;
        info.fMask = MIIM_ID | MIIM_FTYPE | MIIM_STATE;
        info.wID = static_cast<UINT>(entry.id);
        if (entry.flags & menu_separator) {
            info.fType = MFT_SEPARATOR;
        } else {
            info.fMask |= MIIM_STRING;
            info.fType = MFT_STRING | ((entry.flags & menu_column_break) ? MFT_MENUBARBREAK : 0);
            info.dwTypeData = const_cast<char *>(entry.caption);
        }
        info.fState = (entry.flags & menu_checked) ? MFS_CHECKED : 0;
        if (entry.submenu >= 0) {
            HMENU submenu = CreatePopupMenu();
            if (submenu) {
                realise_menu(submenu, model, entry.submenu);
                info.fMask |= MIIM_SUBMENU;
                info.hSubMenu = submenu;
            }
        }
        if (!InsertMenuItemA(target_menu, GetMenuItemCount(target_menu), TRUE, &info) && info.hSubMenu) {
            destroy_submenus(info.hSubMenu);
            DestroyMenu(info.hSubMenu);
        }
    }
}

void destroy_submenus(HMENU menu)
{
    int count = GetMenuItemCount(menu);
    for (int position = 0; position < count; ++position) {
        HMENU submenu = GetSubMenu(menu, position);
        if (submenu) {
            destroy_submenus(submenu);
            DestroyMenu(submenu);
        }
    }
}

int show_main_menu(os_window main)
{
    HWND window = reinterpret_cast<HWND>(main);
    for (;;) {
        reset_menu_model(&main_model);
        int32_t root = build_main_menu(&main_model);
        HMENU menu = CreatePopupMenu();
        if (!menu || root < 0)
            return 0;
        realise_menu(menu, &main_model, root);
        SetForegroundWindow(window);
        int id = TrackPopupMenu(menu, target.popup_flags, target.popup_origin.x, target.popup_origin.y, 0, window,
                                nullptr);
        PostMessageA(window, WM_NULL, 0, 0);
        destroy_submenus(menu);
        DestroyMenu(menu);
        if (id == 0)
            return 0;
        int result = dispatch_menu_command(main, id);
        if (result != menu_show_again)
            return result;
    }
}

void on_menu_select(WPARAM wparam, LPARAM lparam)
{
    last_menu_item = LOWORD(wparam);
    last_menu = reinterpret_cast<HMENU>(lparam);
    // The notice of a closing menu (flags 0xFFFF) is no mouse selection; taken as one it would make
    // the next menu's first WM_INITMENUPOPUP press a second Down key.
    selected_by_mouse = (HIWORD(wparam) != 0xFFFF && (HIWORD(wparam) & MF_MOUSESELECT)) ? 1 : 0;
}

// Empties a popup (destroying its submenus) and fills it from a fresh model.
static void refill_popup(HMENU popup, int32_t group_index)
{
    int count = GetMenuItemCount(popup);
    for (int position = count - 1; position >= 0; --position) {
        HMENU submenu = GetSubMenu(popup, position);
        DeleteMenu(popup, static_cast<UINT>(position), MF_BYPOSITION);
        if (submenu) {
            destroy_submenus(submenu);
            DestroyMenu(submenu);
        }
    }
    reset_menu_model(&popup_model);
    int32_t root = create_menu(&popup_model, menu_filled);
    if (root < 0)
        return;
    fill_item_menu(&popup_model, root, group_index, 1);
    realise_menu(popup, &popup_model, root);
}

void on_init_menu_popup(HMENU popup, int position)
{
    if (last_menu && IsMenu(last_menu)) {
        MENUITEMINFOA info;
        ZeroMemory(&info, sizeof info);
        info.cbSize = sizeof info;
        info.fMask = MIIM_ID;
        // The entry must really open this popup: last_menu may be a stale handle of a menu that
        // was destroyed, whose number a new menu now carries.
        if (GetSubMenu(last_menu, position) == popup &&
            GetMenuItemInfoA(last_menu, static_cast<UINT>(position), TRUE, &info)) {
            int id = static_cast<int>(info.wID);
            int index = id - 1000;
            // Histories (6010) and listed text files (8500..8599) are filled by their own rooms.
            if (index >= 0 && index < store.item_count && store.items[index].kind == group_open)
                refill_popup(popup, index);
        }
    }
    if (selected_by_mouse == 1)
        press_down_key();
}

void on_init_menu() { press_down_key(); }
