// The log of recently used items: the captions of the items chosen last, newest first, one per line
// (CR LF) in the log file, with no header.
// Owns: the log's entries in memory (`log_entries`, valid up to `log_entry_count`) and the
// file's format; read_log fills them at the end of loading, write_log puts the chosen caption on
// top after a successful delivery. The menus and the search window only read the entries.
#pragma once

#include <cstdint>

#include "os/os.h"

constexpr int log_capacity = 50; // the largest log_max_entries

extern char log_entries[log_capacity][260];
extern int32_t log_entry_count;

// Reads the log file (when there is one) into log_entries: every line that is the caption of an item
// of the store, at most log_max_entries of them. Lines naming no item are dropped. Silent. A log
// that exists but cannot be read (held open, denied, over its size limit) is left as it is: this
// run does not write it.
void read_log(os_window owner);
// The reading itself over the log's bytes (size bytes, no terminator needed).
void read_log_text(const char *data, size_t size);
// Replaces the log file with `latest_caption` followed by the entries read at start without it and
// without those no item has any more, and reads it back into log_entries. The old file and entries
// stay whole when the new file cannot be written.
void write_log(const char *latest_caption);
