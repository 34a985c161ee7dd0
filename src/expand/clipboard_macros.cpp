// "%CLP%" and "%CLM%": the clipboard text put into output_text.
#include <cstring>

#include "datafile/settings.h"
#include "expand/expand.h"
#include "expand/substitute.h"

void expand_clipboard_macros(os_window window, int preview)
{
    // The clipboard text can be any size; more than output_text holds could never be pasted anyway.
    static char clip[output_text_capacity];
    char *work = macro_work_buffer();
    size_t length = 0;
    if (!os_clipboard_get_text(window, clip, output_text_capacity, &length)) {
        clip[0] = '\0';
        length = 0;
    }
    // The preview leaves both macros alone for a longer clipboard text.
    if (preview && length > preview_text_limit)
        return;
    if (length >= output_text_capacity)
        drop_split_character(clip, output_text_capacity - 1);

    text_piece replacement{clip, strlen(clip)};
    if (substitute_all(output.output_text, output_text_capacity, work, "%CLP%", fixed_replacement,
                       &replacement))
        output.clipboard_macro_done = 1;
    // While the recorder runs, "%CLM%" waits for a history choice unless "%CLP%" already took the
    // clipboard for this text.
    if (settings.history_running == 0 || output.clipboard_macro_done == 1)
        substitute_all(output.output_text, output_text_capacity, work, "%CLM%", fixed_replacement,
                       &replacement);
}
