// The "[system]" option parsers: one line in, fields of the settings record out.
#pragma once

// Applies one trimmed "[system]" line (tabs removed, leading blanks removed, not a comment). Lines
// that name no known option are ignored.
void apply_system_option(const char *line);
// The value part of "@menu=" (text after "="); also used by the command line's "/#m=".
void parse_menu_value(const char *value);
