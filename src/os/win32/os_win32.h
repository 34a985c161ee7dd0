// What the Win32 fronts take from the system seam's implementation beyond os.h.
#pragma once

#include "os/os.h"

// A function of a system library ("shell32.dll"), loaded from the system folder by its full path when
// first asked for and kept for the rest of the process; null when the library or the function is
// missing. The program imports no library that a start does not need: each one the loader maps
// costs the start time under Wine.
void *os_system_function(const char *library, const char *name);

// os_clipboard_get_text for a clipboard recorder: 0 also when the content asks clipboard tools to
// skip it ("ExcludeClipboardContentFromMonitorProcessing", "Clipboard Viewer Ignore", or
// "CanIncludeInClipboardHistory" holding 0), which is read in the same open of the clipboard.
int os_clipboard_get_recordable_text(os_window owner, char *buffer, size_t capacity);

// The DPI of the monitor that holds `point` (the nearest one): shcore's GetDpiForMonitor where the
// system has it (Windows 8.1 and later), else the screen's LOGPIXELSY, the one DPI of older systems.
// Known before a window is on that monitor, unlike GetDpiForWindow's.
uint32_t os_dpi_at(os_point point);
