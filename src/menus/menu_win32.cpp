// Popup menus from menu models, and the menu messages of the main window.
#include "menus/menu_win32.h"

#include "menus/main_menu.h"
#include "datafile/settings.h"
#include "target/target.h"

menu_model shared_popup_model;
static menu_model &main_model = shared_popup_model;
// A lazily filled submenu is filled while the tracked menu's model may still be in use.
static menu_model popup_model;

static int selected_by_mouse;

// Every submenu handle of the menu being tracked, with what it stands for. WM_INITMENUPOPUP finds
// the popup here; a handle that is not here (of another menu, or destroyed) is never filled.
struct realised_popup {
    HMENU handle;
    int32_t lazy;
    int32_t owner;
};
static realised_popup realised[menu_capacity];
static int realised_count;

// Every destroyed handle is forgotten, so a new one is never in the table: building a menu of
// thousands of groups stays one pass.
static void remember_popup(HMENU handle, const menu_node &node)
{
    if (realised_count < menu_capacity)
        realised[realised_count++] = realised_popup{handle, node.lazy, node.owner};
}

static void forget_popup(HMENU handle)
{
    for (int i = 0; i < realised_count; ++i) {
        if (realised[i].handle == handle) {
            realised[i] = realised[--realised_count];
            return;
        }
    }
}

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
                remember_popup(submenu, model->menus[entry.submenu]);
                info.fMask |= MIIM_SUBMENU;
                info.hSubMenu = submenu;
            }
        }
        if (!InsertMenuItemA(target_menu, GetMenuItemCount(target_menu), TRUE, &info) && info.hSubMenu) {
            destroy_submenus(info.hSubMenu);
            forget_popup(info.hSubMenu);
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
            forget_popup(submenu);
            DestroyMenu(submenu);
        }
    }
}

int32_t track_model_popup(os_window owner, const menu_model *model, int32_t root, os_point at, uint32_t flags,
                          bool set_foreground)
{
    HWND window = reinterpret_cast<HWND>(owner);
    HMENU menu = CreatePopupMenu();
    if (!menu || root < 0) {
        if (menu)
            DestroyMenu(menu);
        return 0;
    }
    realised_count = 0;
    realise_menu(menu, model, root);
    if (set_foreground)
        SetForegroundWindow(window);
    else
        switch_foreground(owner);
    int id = TrackPopupMenu(menu, flags | TPM_RETURNCMD, at.x, at.y, 0, window, nullptr);
    PostMessageA(window, WM_NULL, 0, 0);
    // The whole menu goes: the table is emptied first, so destroying forgets nothing one by one.
    realised_count = 0;
    destroy_submenus(menu);
    DestroyMenu(menu);
    // A "/#z" start may have closed the main window while the menu was open; the menu's own loop
    // took the quit message that its destruction posted, so post it again or the process stays.
    if (!IsWindow(window) || !IsWindow(reinterpret_cast<HWND>(settings.main_window))) {
        PostQuitMessage(0);
        return -1;
    }
    return id;
}

choice_result show_main_menu(os_window main)
{
    for (;;) {
        int32_t root = build_main_menu(&main_model);
        int32_t id = track_model_popup(main, &main_model, root, target.popup_origin,
                                       target.popup_flags, true);
        if (id <= 0)
            return choice_cancelled;
        choice_result result = dispatch_menu_command(main, id);
        if (result != choice_continue)
            return result;
    }
}

void on_menu_select(WPARAM wparam, LPARAM)
{
    // The notice of a closing menu (flags 0xFFFF) is no mouse selection; taken as one it would make
    // the next menu's first WM_INITMENUPOPUP press a second Down key.
    selected_by_mouse = (HIWORD(wparam) != 0xFFFF && (HIWORD(wparam) & MF_MOUSESELECT)) ? 1 : 0;
}

// Empties a popup and fills it from a fresh model. RemoveMenu, unlike DeleteMenu, leaves the
// submenu alive, so each one is destroyed exactly once, here.
static void refill_popup(HMENU popup, int32_t lazy, int32_t owner)
{
    for (int position = GetMenuItemCount(popup) - 1; position >= 0; --position) {
        HMENU submenu = GetSubMenu(popup, position);
        RemoveMenu(popup, static_cast<UINT>(position), MF_BYPOSITION);
        if (submenu) {
            destroy_submenus(submenu);
            forget_popup(submenu);
            DestroyMenu(submenu);
        }
    }
    reset_menu_model(&popup_model);
    int32_t root = create_menu(&popup_model, lazy, owner);
    if (root < 0)
        return;
    fill_lazy_menu(&popup_model, root);
    realise_menu(popup, &popup_model, root);
}

void on_init_menu_popup(HMENU popup)
{
    for (int i = 0; i < realised_count; ++i) {
        if (realised[i].handle == popup) {
            if (realised[i].lazy != menu_filled)
                refill_popup(popup, realised[i].lazy, realised[i].owner);
            break;
        }
    }
    if (selected_by_mouse == 1)
        press_down_key();
}

void on_init_menu() { press_down_key(); }
