// The "[system]" option parsers: one line in, fields of the settings record out.
// Owns: the option table (names, minimum value lengths, per-value limits, ranges and fallbacks) and
// the path files of "@path=". Fonts are only described here; the Win32 front creates them.
#pragma once

// Applies one trimmed "[system]" line (tabs removed, leading blanks removed, not a comment). Lines
// that name no known option are ignored.
void apply_system_option(const char *line);
// The value part of "@menu=" (text after "=", ending at CR, LF or the terminator); also used by the
// command line's "/#m=". Acts only while menu_position is menu_position_unset; no minimum length here.
void parse_menu_value(const char *value);
