// The command line: the optional path argument and the "/#" switches, read once at start.
// Owns: nothing but the reading; the results are start modes in the settings record (and the
// target window of "/#w="), which the loader, the activation cycle and the choosers act on.
#pragma once

// PathUnquoteSpacesA: removes the quotes only when the text both starts and ends with one.
void unquote_spaces(char *path);
// Finds the first token (quoted or blank-separated) that names an existing file or folder and makes
// it settings.path_argument with path_argument_found 1.
void find_path_argument(const char *command_line);
// Reads every switch in its fixed order; run after find_path_argument, before the data file loads.
void parse_command_line(const char *command_line);
