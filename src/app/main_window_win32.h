// The Win32 front of the resident core: the entry, the hidden main window and its procedure,
// and the start-up environment. Writes the process values of the settings record and hands every
// step of an activation to activation.h; owns the instance mutex and the fonts until the close.
#pragma once

#include <windows.h>

extern const char main_class_name[];

LRESULT CALLBACK main_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
int register_main_class(HINSTANCE instance, const char *class_name);
int create_main_window(HINSTANCE instance, const char *class_name);
void init_environment(HWND main_window);
void check_platform();
