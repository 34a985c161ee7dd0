// The data-file checker: loads a data file with the program's own loader, listening to its report
// sink, and tells line by line what the loader ignores, cuts or replaces by a default.
// Owns: the report's texts (code page 932) and order, the line numbers, the lines outside every
// section, the check of "[title]" patterns through BREGEXP.DLL, and the command line of
// mivracheck. Leaves the output's code page, the executable's folder and the library seam to its
// fronts (mivracheck_host.cpp, mivracheck_win32.cpp).
#pragma once

#include <cstddef>
#include <cstdint>

#include "os/os.h"

// Warnings kept for the report; further ones are counted only.
constexpr int check_warning_capacity = 4096;
constexpr size_t check_text_capacity = 640;

struct check_warning {
    size_t offset; // where the line starts in the data file
    int32_t line;  // 1-based
    char text[check_text_capacity];
};

struct check_report {
    int32_t count; // every warning, kept or not
    check_warning warnings[check_warning_capacity];
};

extern check_report report;

// Loads the data file text (read whole) as a popup-menu start, or as a search-window start when
// search_start is 1, into the settings record and the item store; report gets its warnings,
// ordered by line. A UTF-8 text is converted in place first. Returns their count.
int check_data_text(os_buffer *file, int search_start);

// One line of output: `native` as it is (a file name in the system's own code page), then `text`
// (code page 932, converted by the front), then a line end.
typedef void (*check_output_function)(const char *native, const char *text);

// Called with the data file's path once it is read, before it is loaded (may be null).
typedef void (*check_folder_function)(const char *data_file_path);

// mivracheck [--dump] [--search] [DATAFILE]: the exit status, 0 (nothing to report), 1 (warnings)
// or 2 (no file to read, or a wrong command line). exe_dir ends in a separator; settings are reset
// here.
int run_checker(int argc, char **argv, const char *exe_dir, check_output_function out,
                check_folder_function enter_folder);
