// The data file loader: the grammars of its sections over the section reader.
// Owns: choosing, creating and reading the data file, the order in which the sections are read,
// the "[data]", "[file]", "[replace]", "[key]" and "[title]" grammars and the filling of the item
// store's tables. The "[system]" options are options.h's.
#pragma once

#include <cstddef>

#include "datafile/section_reader.h"
#include "os/os.h"

// The headers of the data file's sections, in the order they are read.
constexpr const char *section_headers[] = {"[system]", "[data]", "[file]", "[replace]", "[key]", "[title]"};
constexpr int section_count = sizeof section_headers / sizeof section_headers[0];

// The data file is read whole up to this size; a larger one is not read at all.
constexpr size_t data_file_read_limit = 64 * 1024 * 1024;

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
