// The command line: the optional path argument and the "/#" switches, read once at start.
#pragma once

void find_path_argument(const char *command_line);
void parse_command_line(const char *command_line);
