// The data file loader and the two readers every text-file user shares.
// Owns: choosing, creating and reading the data file, the section walk, the "[data]" grammar and
// the filling of the item store's tables; read_line and resolve_path.
#pragma once

#include <cstddef>

#include "os/os.h"

constexpr size_t line_buffer_size = 520;
constexpr size_t line_limit = 517;
// The data file is read whole up to this size; a larger one is not read at all.
constexpr size_t data_file_read_limit = 64 * 1024 * 1024;

// Bytes consumed by the last read_line; the caller advances by it and stops when
// offset + line_advance > size.
extern size_t line_advance;
// 1 when the last resolve_path found the file.
extern int resolve_found;

// Copies the line at `offset` of data (size bytes) into line (line_buffer_size bytes, zero-filled):
// stops at LF, drops CR, drops TAB unless keep_tabs, keeps at most 517 bytes. Returns line.
char *read_line(size_t offset, size_t size, const char *data, int keep_tabs, char *line);
// Full path of a file name, or the name itself when not found (resolve_found tells). out: 260 bytes.
char *resolve_path(const char *name, char *out);
// Reads the data file into the settings record and the item store. 0 (after the error box) when the
// file cannot be opened.
int load_data_file(os_window owner);
// The loading itself over a data file already read whole (without the log file): settings and item
// store from its sections, each mistake told to the report sink (load_report.h) when one listens.
void load_data_text(const os_buffer &file);
// The one place that decides which data file is read: the one "/#s=" names when it exists beside
// the executable and is no folder, else the executable's own (base name + ".ini"), else
// "Mivra.ini", else the own one (created by the loader). Sets data_file_path; 0 when no candidate
// fits in a path.
int choose_data_file_path();
