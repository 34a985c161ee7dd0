// The Win32 front of the menus: turns menu models into popup menus, tracks them, and handles the
// menu messages of the main window (highlight key, selection tracking, lazy submenu filling).
// Owns the model of the menu being tracked and which of its popup handles stands for which lazy
// submenu; what goes into a menu is the builders' (main_menu.h).
#pragma once

#include <windows.h>

#include "menus/menu_model.h"
#include "os/os.h"

#include "choice/choice.h"

// The model every popup is built in (2.8 MB, so one for all). track_model_popup realises a model whole
// before the menu opens and nothing reads it afterwards, so the next popup, shown after this one or
// from its choice, may build over it. A submenu filled as it opens has a model of its own.
extern menu_model shared_popup_model;

// Builds, shows and carries out the main menu.
choice_result show_main_menu(os_window main);
// Realises the model's menu `root`, brings `owner` forward (SetForegroundWindow, or the foreground
// switch of the target room), tracks it with TPM_RETURNCMD and destroys it. Gives the chosen id, 0
// when dismissed, -1 when the owner or the main window was closed meanwhile (the quit message that
// the menu's loop took is posted again). Lazy submenus are filled as they open when the owner
// passes WM_INITMENUPOPUP to on_init_menu_popup.
int32_t track_model_popup(os_window owner, const menu_model *model, int32_t root, os_point at, uint32_t flags,
                          bool set_foreground);
// Appends the entries of `menu` of the model (with their built submenus) to an existing HMENU.
void realise_menu(HMENU target, const menu_model *model, int32_t menu);
// Destroys every submenu reachable from menu (not menu itself).
void destroy_submenus(HMENU menu);

void on_menu_select(WPARAM wparam, LPARAM lparam);
void on_init_menu_popup(HMENU popup);
void on_init_menu();
