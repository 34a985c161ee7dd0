// What the loader understood, as text: the data-file checker's "--dump" and the loader's golden
// files (tests/data/datafile/) print the same lines.
// Owns: the dump's format. Reads the settings record and the item store; writes nothing but the
// lines it hands to its caller. Texts stay in code page 932, tabs are shown as "\t", no line ends
// in a blank.
#pragma once

typedef void (*dump_line_function)(const char *line, void *context);

// One line per option (as "@dlm [ | ] [↓]"), then the switches, the search kind and list style,
// and the text-file choice.
void dump_settings(dump_line_function emit, void *context);
// "[items] N", one line per entry ("3 text 0 [text|caption|plain|list] show file(param|caption)"),
// then one line per table ("[replace] %a>b,%c>d").
void dump_item_store(dump_line_function emit, void *context);
