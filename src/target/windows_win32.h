// The Win32 front of the window list: the running-instance search by class name and the
// enumeration of visible top-level windows with the executable of each window's process.
// Fills `windows` through add_listed_window; decides nothing itself.
#pragma once

#include <windows.h>

void enumerate_windows();
// The main window of another running instance of class `class_name`, or null.
HWND find_previous_instance(const char *class_name);
// The executable path of a process (260 bytes, empty when every route failed).
void process_exe_path(DWORD process_id, char *out);
