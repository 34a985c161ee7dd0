// The "[system]" option parsers: one line in, fields of the settings record out.
// Owns: the option table (names, minimum value lengths, per-value limits), the reading of each
// option's values (numbers by the ranges and fallbacks of settings.h's option_numbers) with what the
// report calls them, and the path files of "@path=". Fonts are only described here; the Win32
// front creates them.
#pragma once

// Applies one trimmed "[system]" line (tabs removed, leading blanks removed, not a comment). Lines
// that name no known option are ignored.
void apply_system_option(const char *line);
// The value part of "@menu=" (text after "=", ending at CR, LF or the terminator); also used by the
// command line's "/#m=". Acts only while menu_position is menu_position_unset; no minimum length here.
void parse_menu_value(const char *value);

// A log name that is another file of the user's (the data file, "hist.ini" or the manual beside
// the program, a program or library, a listed text file) would be overwritten by the first write
// of the log: the log stays "log.ini" instead, or is off when "log.ini" is such a file itself. Runs
// after the "[file]" section is read.
void keep_log_off_user_files();
