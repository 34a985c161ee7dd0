// Delivery of output_text to the target: the clipboard write, paste keys, direct insertion, tab
// marks and key chords, planned as a sequence of os/ calls. Owns no record: it reads the settings
// and the target record, and cuts output_text at the marks as it delivers. The output mode is the
// caller's (choice/ keeps the run's).
#pragma once

#include <cstdint>

#include "os/os.h"

// Replaces the clipboard with text and sets clipboard_settle_wait. A delivery's write (`delivery_only`
// 1) is marked for clipboard tools to skip; what is left for the user is not. 1 on success, 0 on failure.
int put_clipboard_text(os_window owner, const char *text, int delivery_only);
// Delivers output_text as `mode` (output_*) and the flags say. 1 delivered (or nothing to do), 0
// failed or cancelled.
int paste_output(os_window owner, int32_t mode);
