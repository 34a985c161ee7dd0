// The Win32 front of the menus: turns menu models into popup menus, tracks them, and handles the
// menu messages of the main window (highlight key, selection tracking, lazy submenu filling).
// Owns the model of the menu being tracked and which of its popup handles stands for which lazy
// submenu; what goes into a menu is the builders' (main_menu.h).
#pragma once

#include <windows.h>

#include "menus/menu_model.h"
#include "os/os.h"

#include "choice/choice.h"

// Builds, shows and carries out the main menu.
choice_result show_main_menu(os_window main);
// Appends the entries of `menu` of the model (with their built submenus) to an existing HMENU.
void realise_menu(HMENU target, const menu_model *model, int32_t menu);
// Destroys every submenu reachable from menu (not menu itself).
void destroy_submenus(HMENU menu);

void on_menu_select(WPARAM wparam, LPARAM lparam);
void on_init_menu_popup(HMENU popup);
void on_init_menu();
