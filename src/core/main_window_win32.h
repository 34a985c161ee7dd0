// The Win32 front of the resident core: the entry, the hidden main window and its procedure,
// the start-up environment, and the window enumeration.
#pragma once

#include <windows.h>

extern const char main_class_name[];

LRESULT CALLBACK main_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
int register_main_class(HINSTANCE instance, const char *class_name);
int create_main_window(HINSTANCE instance, const char *class_name);
void init_environment(HWND main_window);
void check_platform();

// windows_win32.cpp
void enumerate_windows();
// The main window of another running instance, or null.
HWND find_previous_instance();
void process_exe_path_nt(DWORD process_id, char *out);
void process_exe_path_9x(DWORD process_id, char *out);
