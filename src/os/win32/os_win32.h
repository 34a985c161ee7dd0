// What the Win32 fronts take from the system seam's implementation beyond os.h.
#pragma once

// A function of a system library ("shell32.dll"), loaded from the system folder by its full path when
// first asked for and kept for the rest of the process; null when the library or the function is
// missing. The program imports no library that a start does not need: each one the loader maps
// costs the start time under Wine.
void *os_system_function(const char *library, const char *name);
