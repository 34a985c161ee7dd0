#include "cmdline/cmdline.h"

#include <cstring>

#include "target/target.h"
#include "datafile/options.h"
#include "datafile/settings.h"
#include "os/os.h"
#include "text/sjis.h"

void unquote_spaces(char *path)
{
    size_t length = strlen(path);
    if (length == 0 || path[0] != '"')
        return;
    if (path[length - 1] != '"')
        return;
    if (length == 1) {
        path[0] = '\0';
        return;
    }
    memmove(path, path + 1, length - 2);
    path[length - 2] = '\0';
}

namespace {

constexpr size_t token_capacity = 520; // a path argument being collected, terminator included
constexpr size_t value_limit = 259;    // a switch value of this many characters is not read whole

// PathRemoveBlanksA: removes leading and trailing blanks (blank bytes are never trail bytes).
void remove_blanks(char *path)
{
    size_t start = 0;
    while (path[start] == ' ')
        ++start;
    size_t length = strlen(path + start);
    memmove(path, path + start, length + 1);
    while (length > 0 && path[length - 1] == ' ')
        path[--length] = '\0';
}

// Tests a collected token; on success it becomes the path argument.
bool take_path(char *token)
{
    unquote_spaces(token);
    remove_blanks(token);
    if (token[0] == '\0' || strlen(token) >= path_capacity || !os_file_exists(token))
        return false;
    copy_text(settings.path_argument, sizeof settings.path_argument, token);
    settings.path_argument_found = 1;
    return true;
}

// The value that directly follows a switch, up to the first blank or the end of the command line.
struct switch_value {
    bool present;
    const char *text; // not terminated at the value's end
    size_t length;
};

switch_value find_value(const char *command_line, const char *name)
{
    switch_value v{false, "", 0};
    const char *hit = find_nocase(command_line, name);
    if (!hit)
        return v;
    v.present = true;
    v.text = hit + strlen(name);
    while (v.text[v.length] != '\0' && v.text[v.length] != ' ')
        ++v.length;
    return v;
}

bool has_switch(const char *command_line, const char *name)
{
    return find_nocase(command_line, name) != nullptr;
}

// A value cut to what a 260-byte field holds (259 bytes), never through a double-byte character.
void copy_value(char *field, size_t capacity, const switch_value &v)
{
    char buffer[value_limit + 2];
    copy_text_n(buffer, sizeof buffer, v.text, v.length);
    copy_text_whole_chars(field, capacity, buffer);
}

// Only the name is taken here; the loader decides which data file is read.
void read_data_file_switch(const char *command_line)
{
    switch_value v = find_value(command_line, "/#s=");
    if (v.present && v.length > 0 && v.length < value_limit)
        copy_text_n(settings.data_file_request, sizeof settings.data_file_request, v.text, v.length);
}

void read_menu_switch(const char *command_line)
{
    switch_value v = find_value(command_line, "/#m=");
    if (!v.present || v.length == 0 || v.length >= value_limit)
        return;
    char value[value_limit + 3];
    copy_text_n(value, sizeof value, v.text, v.length);
    append_text(value, sizeof value, "\r\n");
    parse_menu_value(value);
}

void read_window_switches(const char *command_line)
{
    switch_value named = find_value(command_line, "/#a=");
    if (named.present) {
        // A name too long to hold is dropped, which leaves the choice to the user.
        if (named.length >= value_limit)
            named.length = 0;
        copy_text_n(settings.window_select_name, sizeof settings.window_select_name, named.text,
                    named.length);
        settings.window_select_mode = named.length > 0 ? select_named_pending : select_from_list;
    } else if (has_switch(command_line, "/#a")) {
        settings.window_select_mode = select_restricted;
    }

    switch_value handle = find_value(command_line, "/#w=");
    if (handle.present) {
        char number[value_limit + 1];
        copy_text_n(number, sizeof number, handle.text, handle.length);
        // The handle's 32 bits, as the number was written.
        os_window window = static_cast<os_window>(static_cast<uint32_t>(read_decimal(number)));
        target.target_window = window;
        target.start_foreground = window;
    }
}

void take_search_word(const switch_value &v)
{
    copy_value(settings.initial_search_word, sizeof settings.initial_search_word, v);
    settings.initial_word_state = v.length > 0 ? initial_word_given : initial_word_empty;
}

void read_search_switches(const char *command_line)
{
    switch_value prefix = find_value(command_line, "/#i=");
    bool prefix_bare = has_switch(command_line, "/#i");
    switch_value substring = find_value(command_line, "/#g=");
    bool substring_bare = has_switch(command_line, "/#g");
    if (prefix.present) {
        settings.search_kind = search_prefix;
        take_search_word(prefix);
    } else if (prefix_bare) {
        settings.search_kind = search_prefix;
    } else if (substring.present) {
        settings.search_kind = search_substring;
        take_search_word(substring);
    } else if (substring_bare) {
        settings.search_kind = search_substring;
    } else {
        settings.search_kind = search_popup_menu;
    }
}

void read_text_file_switches(const char *command_line)
{
    switch_value named = find_value(command_line, "/#f=");
    bool bare = has_switch(command_line, "/#f");
    if (named.present || bare) {
        if (settings.path_argument_found == 1) {
            settings.path_argument_found = 0;
            settings.text_file_search = text_file_path;
        } else if (named.present && named.length > 0) {
            settings.text_file_search = text_file_named;
            copy_value(settings.text_file_search_name, sizeof settings.text_file_search_name, named);
        } else {
            settings.text_file_search = text_file_on;
        }
    } else if (settings.path_argument_found == 1 && !has_switch(command_line, "/#l")) {
        settings.path_argument_found = 0;
    }
}

} // namespace

void find_path_argument(const char *command_line)
{
    char token[token_capacity];
    size_t length = 0;
    bool quoted = false;
    token[0] = '\0';
    settings.path_argument_found = 0;
    for (const char *p = command_line; *p != '\0'; ++p) {
        char c = *p;
        if (c == '"' && quoted) {
            if (length + 1 < token_capacity) {
                token[length++] = c;
                token[length] = '\0';
            }
            if (take_path(token))
                return;
            length = 0;
            token[0] = '\0';
            quoted = false;
        } else if (c == '"') {
            if (length > 0 && take_path(token))
                return;
            token[0] = '"';
            token[1] = '\0';
            length = 1;
            quoted = true;
        } else if (c == ' ' && !quoted) {
            if (take_path(token))
                return;
            length = 0;
            token[0] = '\0';
        } else if (c == '\t' || c == '\r' || c == '\n') {
            continue;
        } else if (length + 1 < token_capacity) {
            token[length++] = c;
            token[length] = '\0';
        }
    }
    if (length > 0)
        take_path(token);
}

void parse_command_line(const char *command_line)
{
    read_data_file_switch(command_line);
    read_menu_switch(command_line);
    read_window_switches(command_line);
    read_search_switches(command_line);
    if (has_switch(command_line, "/#c"))
        settings.output_mode = output_clipboard_only;
    if (has_switch(command_line, "/#b"))
        settings.direct_mode = direct_clipboard;
    if (has_switch(command_line, "/#h") && settings.history_running == 1)
        settings.direct_mode = direct_history;
    if (has_switch(command_line, "/#o"))
        settings.recent_first = 1;
    if (has_switch(command_line, "/#j") && settings.search_kind != search_popup_menu)
        settings.migemo_on = 1;
    read_text_file_switches(command_line);
    if (has_switch(command_line, "/#y"))
        settings.title_first = 1;
}
